#include "host/dialogdriver.h"
#include "host/settingsrecord.h"
#include "tests/host/pluginfixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int QUESTION_ITEM = 1008;

struct ExpectedCall {
    DWORD action;
    const char* function;
    DWORD first;
    DWORD second;
    const char* question;
    const char* caption;
};

const ExpectedCall ACTIONS[] = {
    {1, "ExitWindowsEx", 0, 0, "Are you sure you want to log off?", "Log off"},
    {2, "ExitWindowsEx", 9, 0, "Are you sure you want to shut down?", "Turn Off"},
    {4, "ExitWindowsEx", 2, 0, "Are you sure you want to restart?", "Restart"},
    {8, "SetSystemPowerState", TRUE, FALSE, "Are you sure you want to stand by?", "Stand by"},
    {16, "SetSystemPowerState", FALSE, FALSE, "Are you sure you want to hibernate?", "Hibernate"},
    {128, "LockWorkStation", 0, 0, "Are you sure you want to lock workstation?", "Switch User"},
};

constexpr int EXIT_WINDOW_TURN_OFF = 100 + 2;
constexpr int MESSAGE_TEXT_ITEM = 0xFFFF;

std::string SystemText(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string trimmed = text;
    trimmed.erase(trimmed.find_last_not_of("\r\n ") + 1);
    return trimmed;
}

class ExecuteTest : public PluginPressTest {
protected:
    void UseSettings(DWORD flags, DWORD lastAction = 2) {
        SettingsRecord record;
        record.flags = flags;
        record.lastAction = lastAction;
        LoadBytes(record.Bytes());
        site.calls.clear();
    }
    DWORD LastAction() { return WordAt(Saved(), 8); }
    // Presses the button, answering any dialog with answer.
    int Press(std::function<void(HWND)> answer) {
        CDialogDriver driver(std::move(answer));
        EXPECT_EQ(plugin->Execute(), S_OK);
        return driver.DialogsSeen();
    }
};

TEST_F(ExecuteTest, EachSingleActionIsPerformedAtOnceWithoutConfirmation) {
    for (const ExpectedCall& expected : ACTIONS) {
        SCOPED_TRACE(expected.action);
        UseSettings(expected.action, 0);
        recorder.calls.clear();
        EXPECT_EQ(Press([](HWND dialog) { PressCloseBox(dialog); }), 0);
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].function, expected.function);
        EXPECT_EQ(recorder.calls[0].first, expected.first);
        EXPECT_EQ(recorder.calls[0].second, expected.second);
        EXPECT_EQ(LastAction(), expected.action);
        EXPECT_EQ(site.Count("NotifyChanged"), 1u);
    }
}

TEST_F(ExecuteTest, RepeatedActionNotifiesTheHostOnlyTheFirstTime) {
    UseSettings(128, 2);
    plugin->Execute();
    plugin->Execute();
    EXPECT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(site.Count("NotifyChanged"), 1u);
    EXPECT_EQ(LastAction(), 128u);

    // The host learns of the new action before the session ends.
    UseSettings(4, 2);
    size_t notifiedBefore = 0;
    recorder.onCall = [&](const PowerCall&) { notifiedBefore = site.Count("NotifyChanged"); };
    plugin->Execute();
    EXPECT_EQ(notifiedBefore, 1u);
}

TEST_F(ExecuteTest, CancelBitIsNotAnActionAndNoActionDoesNothing) {
    UseSettings(64 + 4, 0);
    plugin->Execute();
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].first, 2u);
    EXPECT_EQ(LastAction(), 4u);

    for (DWORD flags : {32u, 0u, 64u}) {
        UseSettings(flags, 8);
        recorder.calls.clear();
        EXPECT_EQ(Press([](HWND dialog) { PressCloseBox(dialog); }), 0) << flags;
        EXPECT_TRUE(recorder.calls.empty()) << flags;
        EXPECT_EQ(LastAction(), 8u);
        EXPECT_EQ(site.Count("NotifyChanged"), 0u);
    }
}

TEST_F(ExecuteTest, ConfirmationAsksTheQuestionOfTheOneAction) {
    HWND owner =
        CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    site.parentAnswer = owner;
    for (const ExpectedCall& expected : ACTIONS) {
        SCOPED_TRACE(expected.action);
        UseSettings(32 + expected.action, 0);
        std::string caption, question;
        HWND dialogOwner = nullptr;
        recorder.calls.clear();
        EXPECT_EQ(Press([&](HWND dialog) {
                      caption = WindowText(dialog);
                      question = ItemText(dialog, QUESTION_ITEM);
                      dialogOwner = GetWindow(dialog, GW_OWNER);
                      ClickButton(dialog, IDOK);
                  }),
                  1);
        EXPECT_EQ(caption, "Exit Windows");
        EXPECT_EQ(question, expected.question);
        EXPECT_EQ(dialogOwner, owner);
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].function, expected.function);
        EXPECT_EQ(recorder.calls[0].first, expected.first);
        EXPECT_EQ(LastAction(), expected.action);
    }
    DestroyWindow(owner);
}

TEST_F(ExecuteTest, NoEscapeAndTheCloseBoxPerformNothing) {
    const std::function<void(HWND)> answers[] = {
        [](HWND dialog) { ClickButton(dialog, IDCANCEL); },
        [](HWND dialog) { PressEscape(dialog); },
        [](HWND dialog) { PressCloseBox(dialog); },
    };
    for (const auto& answer : answers) {
        UseSettings(32 + 4, 2);
        EXPECT_EQ(Press(answer), 1);
        EXPECT_TRUE(recorder.calls.empty());
        EXPECT_EQ(LastAction(), 2u);
        EXPECT_EQ(site.Count("NotifyChanged"), 0u);
    }
}

TEST_F(ExecuteTest, APressWhileTheQuestionIsOpenIsIgnored) {
    UseSettings(32 + 16, 2);
    HRESULT nested = E_FAIL;
    EXPECT_EQ(Press([&](HWND dialog) {
                  nested = plugin->Execute();
                  DWORD viaProperty = 0;
                  plugin->GetProperty(25, 0, &viaProperty);
                  ClickButton(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(nested, S_OK);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].function, "SetSystemPowerState");
    EXPECT_EQ(site.Count("NotifyChanged"), 1u);

    // Once the first press is over the button works again, here through property 25.
    UseSettings(8, 2);
    recorder.calls.clear();
    plugin->GetProperty(25, 0, nullptr);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].first, static_cast<DWORD>(TRUE));
}

TEST_F(ExecuteTest, ARefusedActionIsShownOverTheHostsWindow) {
    HWND owner =
        CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    site.parentAnswer = owner;
    recorder.refuseWith = ERROR_PRIVILEGE_NOT_HELD;
    const std::string reason = SystemText(ERROR_PRIVILEGE_NOT_HELD);
    ASSERT_FALSE(reason.empty());
    for (const ExpectedCall& expected : ACTIONS) {
        SCOPED_TRACE(expected.action);
        UseSettings(expected.action, 0);
        std::string caption, text;
        HWND boxOwner = nullptr;
        EXPECT_EQ(Press([&](HWND box) {
                      caption = WindowText(box);
                      text = ItemText(box, MESSAGE_TEXT_ITEM);
                      boxOwner = GetWindow(box, GW_OWNER);
                      ClickButton(box, IDOK);
                  }),
                  1);
        EXPECT_EQ(caption, "Quiescor");
        EXPECT_EQ(text, std::string("Windows refused this action: ") + expected.caption +
                            "\r\n\r\n" + reason);
        EXPECT_EQ(boxOwner, owner);
        EXPECT_EQ(recorder.calls.size(), 1u);
        recorder.calls.clear();
    }
    DestroyWindow(owner);
}

// The user removes the button while its window is open: the host drops the object.
TEST_F(ExecuteTest, AButtonRemovedWhileItsWindowIsOpenActsNoMore) {
    const struct {
        DWORD flags;
        int choice;
    } windows[] = {{191, EXIT_WINDOW_TURN_OFF}, {32 + 2, IDOK}};
    for (const auto& window : windows) {
        SCOPED_TRACE(window.flags);
        UseSettings(window.flags, 0);
        HRESULT unloadWhileOpen = E_FAIL;
        size_t siteCallsBefore = 0;
        EXPECT_EQ(Press([&](HWND dialog) {
                      plugin->SetSite(nullptr);
                      plugin->Release();
                      plugin = nullptr;
                      unloadWhileOpen = library->CanUnloadNow();
                      siteCallsBefore = site.calls.size();
                      PostMessageA(dialog, WM_COMMAND, window.choice, 0);
                  }),
                  1);
        EXPECT_EQ(unloadWhileOpen, S_FALSE) << "alive until its window has returned";
        EXPECT_EQ(library->CanUnloadNow(), S_OK);
        EXPECT_TRUE(recorder.calls.empty());
        EXPECT_EQ(site.calls.size(), siteCallsBefore);

        plugin = library->CreatePlugin();
        ASSERT_NE(plugin, nullptr);
        plugin->SetSite(&site);
    }
}

class LanguageModuleTest : public ExecuteTest {
protected:
    void AskWith(const char* moduleName, std::string& question, HINSTANCE& instance,
                 HMODULE& module) {
        module = LoadLibraryA(moduleName);
        ASSERT_NE(module, nullptr);
        plugin->SetResourceModule(0, module);
        UseSettings(32 + 1, 2);
        EXPECT_EQ(Press([&](HWND dialog) {
                      question = ItemText(dialog, QUESTION_ITEM);
                      instance =
                          reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
                      ClickButton(dialog, IDCANCEL);
                  }),
                  1);
    }
};

TEST_F(LanguageModuleTest, AcceptedModuleTranslatesThePluginsOwnTemplate) {
    std::string question;
    HINSTANCE instance = nullptr;
    HMODULE module = nullptr;
    AskWith("lang_1_2_0_0.dll", question, instance, module);
    EXPECT_EQ(question, "Wirklich abmelden?");
    EXPECT_EQ(instance, module);
    plugin->Release();
    plugin = nullptr;
    FreeLibrary(module);
}

TEST_F(LanguageModuleTest, RefusedModuleLeavesThePluginsOwnTexts) {
    std::string question;
    HINSTANCE instance = nullptr;
    HMODULE module = nullptr;
    AskWith("lang_1_2_0_1.dll", question, instance, module);
    EXPECT_EQ(question, "Are you sure you want to log off?");
    EXPECT_EQ(instance, library->Module());
    plugin->Release();
    plugin = nullptr;
    FreeLibrary(module);
}

} // namespace
