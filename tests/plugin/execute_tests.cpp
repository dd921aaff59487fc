#include "host/dialogdriver.h"
#include "host/registryvalue.h"
#include "host/settingsrecord.h"
#include "res/resource.h"
#include "tests/host/builtlanguage.h"
#include "tests/host/pluginfixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
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

// Other (Planned): SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | FLAG_PLANNED.
constexpr DWORD PLANNED = 0x80000000;

const ExpectedCall ACTIONS[] = {
    {1, "ExitWindowsEx", 0, PLANNED, "Are you sure you want to log off?", "Log off"},
    {2, "ExitWindowsEx", 9, PLANNED, "Are you sure you want to shut down?", "Turn Off"},
    {4, "ExitWindowsEx", 2, PLANNED, "Are you sure you want to restart?", "Restart"},
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
    void TearDown() override {
        if (hostWindow)
            DestroyWindow(hostWindow);
        PluginPressTest::TearDown();
    }
    // Presses the button, answering any dialog with answer.
    int Press(std::function<void(HWND)> answer) {
        CDialogDriver driver(std::move(answer));
        EXPECT_EQ(plugin->Execute(), S_OK);
        return driver.DialogsSeen();
    }
    // What a press showed: the caption and owner of each dialog, and the text of one item
    // of the last. Each dialog is answered with `answer`.
    struct Shown {
        std::vector<std::string> captions;
        std::vector<HWND> owners;
        std::string text;
    };
    Shown PressAndRead(int item, int answer = IDOK) {
        Shown shown;
        Press([&](HWND dialog) {
            shown.captions.push_back(WindowText(dialog));
            shown.owners.push_back(GetWindow(dialog, GW_OWNER));
            shown.text = ItemText(dialog, item);
            ClickButton(dialog, answer);
        });
        return shown;
    }
    // The host's window, which the site gives as the parent of what the plug-in shows.
    HWND HostWindow() {
        if (!hostWindow)
            hostWindow = CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       nullptr, nullptr);
        site.parentAnswer = hostWindow;
        return hostWindow;
    }

private:
    HWND hostWindow = nullptr;
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
    const HWND owner = HostWindow();
    for (const ExpectedCall& expected : ACTIONS) {
        SCOPED_TRACE(expected.action);
        UseSettings(32 + expected.action, 0);
        recorder.calls.clear();
        const Shown shown = PressAndRead(QUESTION_ITEM);
        EXPECT_EQ(shown.captions, std::vector<std::string>{"Exit Windows"});
        EXPECT_EQ(shown.text, expected.question);
        EXPECT_EQ(shown.owners, std::vector<HWND>{owner});
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].function, expected.function);
        EXPECT_EQ(recorder.calls[0].first, expected.first);
        EXPECT_EQ(LastAction(), expected.action);
    }
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
    const HWND owner = HostWindow();
    recorder.refuseWith = ERROR_PRIVILEGE_NOT_HELD;
    const std::string reason = SystemText(ERROR_PRIVILEGE_NOT_HELD);
    ASSERT_FALSE(reason.empty());
    for (const ExpectedCall& expected : ACTIONS) {
        SCOPED_TRACE(expected.action);
        UseSettings(expected.action, 0);
        const Shown shown = PressAndRead(MESSAGE_TEXT_ITEM);
        EXPECT_EQ(shown.captions, std::vector<std::string>{"Quiescor"});
        EXPECT_EQ(shown.text, std::string("Windows refused this action: ") + expected.caption +
                                  "\r\n\r\n" + reason);
        EXPECT_EQ(shown.owners, std::vector<HWND>{owner});
        EXPECT_EQ(recorder.calls.size(), 1u);
        recorder.calls.clear();
    }
}

// A translation in another script on an English system: the confirmation and the message
// of a refused action read in the module's own script.
TEST_F(ExecuteTest, ARussianModuleAsksAndTellsInItsOwnScriptOnAnEnglishSystem) {
    ASSERT_EQ(GetACP(), ENGLISH_CODE_PAGE);
    const CBuiltLanguage russian("ru");
    ASSERT_NE(russian.Module(), nullptr);
    const struct {
        const char* name;
        DWORD flags;
        DWORD refusal;
        int item;
        std::string caption;
        std::string text;
    } cases[] = {
        {"confirmation", 32 + 2, ERROR_SUCCESS, QUESTION_ITEM, u8"Завершение работы Windows",
         russian.Utf8Text(IDS_ASK_TURNOFF)},
        {"refused", 2, ERROR_PRIVILEGE_NOT_HELD, MESSAGE_TEXT_ITEM, "Quiescor",
         russian.Utf8Text(IDS_ACTION_REFUSED) + " " + russian.Utf8Text(IDS_CAPTION_TURNOFF) +
             "\r\n\r\n" + SystemText(ERROR_PRIVILEGE_NOT_HELD)},
    };
    plugin->SetResourceModule(0, russian.Module());
    for (const auto& expected : cases) {
        SCOPED_TRACE(expected.name);
        UseSettings(expected.flags);
        recorder.refuseWith = expected.refusal;
        const Shown shown = PressAndRead(expected.item);
        EXPECT_EQ(shown.captions, std::vector<std::string>{expected.caption});
        EXPECT_EQ(shown.text, expected.text);
    }
    plugin->SetResourceModule(0, nullptr);
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

// One computer a press meets: what it lacks, and the policies set for it.
struct Computer {
    const char* name;
    SimulatedComputer facts;
    std::vector<const char*> userPolicies = {};
    std::vector<const char*> machinePolicies = {};
};

class ComputerTest : public ExecuteTest {
protected:
    void SetUp() override {
        ExecuteTest::SetUp();
        owner = HostWindow();
    }
    // Presses with the computer in place; the message box's text, or "" when none showed.
    std::string PressOn(const Computer& computer, DWORD flags, int answer = IDOK) {
        recorder.computer = computer.facts;
        std::vector<std::unique_ptr<CRegistryValue>> policies;
        for (const char* name : computer.userPolicies)
            policies.push_back(SetPolicy(name));
        for (const char* name : computer.machinePolicies)
            policies.push_back(SetPolicy(name, HKEY_LOCAL_MACHINE));
        for (const auto& policy : policies)
            EXPECT_TRUE(policy && policy->IsSet());
        UseSettings(flags, 0);
        recorder.calls.clear();
        const Shown shown = PressAndRead(MESSAGE_TEXT_ITEM, answer);
        for (const std::string& caption : shown.captions)
            EXPECT_EQ(caption, "Quiescor");
        for (HWND boxOwner : shown.owners)
            EXPECT_EQ(boxOwner, owner);
        return shown.text;
    }

    HWND owner = nullptr;
};

SimulatedComputer Without(bool SimulatedComputer::*fact) {
    SimulatedComputer computer;
    computer.*fact = false;
    return computer;
}

TEST_F(ComputerTest, WhatCannotBeDoneSaysWhyInsteadOfCallingWindows) {
    const std::string policy = "Your administrator does not allow this action.";
    const std::string nothing =
        "None of the actions chosen for this button can be done on this computer.";
    const SimulatedComputer noFile = Without(&SimulatedComputer::canHibernate);
    const SimulatedComputer noSleep = Without(&SimulatedComputer::canSleep);
    const SimulatedComputer noRight = Without(&SimulatedComputer::shutdownPrivilege);
    const struct {
        Computer computer;
        DWORD flags;
        std::string said;
    } cases[] = {
        {{"no hibernation file", noFile},
         16,
         "Hibernate: Hibernation is turned off on this computer."},
        {{"no sleep state", noSleep}, 32 + 8, "Stand by: This computer has no sleep state."},
        {{"no privilege", noRight},
         2,
         "Turn Off: You do not have permission to shut down this computer."},
        {{"NoClose", {}, {"NoClose"}}, 4, "Restart: " + policy},
        {{"NoLogoff", {}, {"NoLogoff"}}, 1, "Log off: " + policy},
        {{"DisableLockWorkstation", {}, {"DisableLockWorkstation"}}, 128, "Switch User: " + policy},
        {{"HideFastUserSwitching", {}, {}, {"HideFastUserSwitching"}},
         128,
         "Switch User: " + policy},
        {{"NoClose, two enabled", {}, {"NoClose"}}, 2 + 8, nothing},
        {{"neither sleep nor hibernation", {false, false, false}}, 8 + 16 + 32, nothing},
        {{"policy and capability", noFile, {"NoLogoff"}}, 1 + 16, nothing},
    };
    for (const auto& pressed : cases) {
        SCOPED_TRACE(pressed.computer.name);
        EXPECT_EQ(PressOn(pressed.computer, pressed.flags), pressed.said);
        EXPECT_TRUE(recorder.calls.empty());
        EXPECT_EQ(LastAction(), 0u);
    }
    // Read at every press: with the policy gone, the same settings act again.
    recorder.computer = {};
    UseSettings(4, 0);
    EXPECT_EQ(Press([](HWND box) { PressCloseBox(box); }), 0);
    EXPECT_EQ(recorder.calls.size(), 1u);
}

TEST_F(ComputerTest, EachComputerIsAskedTheWayItSleepsAndShutsDown) {
    constexpr char POWER_KEY[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";
    SimulatedComputer modernStandby;
    modernStandby.canSleep = false;
    modernStandby.modernStandby = true;
    SimulatedComputer windows7;
    windows7.windows8 = false;
    const SimulatedComputer noHibernation = Without(&SimulatedComputer::canHibernate);
    const PowerCall screenOff = {"SendNotifyMessageA", SC_MONITORPOWER, 2};
    const PowerCall turnOff = {"ExitWindowsEx", 9, PLANNED};
    const struct {
        const char* name;
        SimulatedComputer computer;
        DWORD hiberboot;
        DWORD action;
        PowerCall call;
    } cases[] = {
        {"Modern Standby turns the screen off", modernStandby, 0, 8, screenOff},
        {"Fast Startup turns off hybrid", {}, 1, 2, {"ExitWindowsEx", 0x400009, PLANNED}},
        {"Fast Startup leaves restart", {}, 1, 4, {"ExitWindowsEx", 2, PLANNED}},
        {"Fast Startup needs hibernation", noHibernation, 1, 2, turnOff},
        {"no hybrid before Windows 8", windows7, 1, 2, turnOff},
        {"Fast Startup off", {}, 0, 2, turnOff},
    };
    for (const auto& pressed : cases) {
        SCOPED_TRACE(pressed.name);
        CRegistryValue fastStartup(HKEY_LOCAL_MACHINE, POWER_KEY, "HiberbootEnabled",
                                   pressed.hiberboot);
        ASSERT_TRUE(fastStartup.IsSet());
        recorder.computer = pressed.computer;
        UseSettings(pressed.action, 0);
        recorder.calls.clear();
        EXPECT_EQ(Press([](HWND box) { PressCloseBox(box); }), 0);
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].function, pressed.call.function);
        EXPECT_EQ(recorder.calls[0].first, pressed.call.first);
        EXPECT_EQ(recorder.calls[0].second, pressed.call.second);
    }
}

TEST_F(ComputerTest, OtherUsersAreAskedAboutBeforeTheirSessionsAreEnded) {
    const std::string others = "Other people are signed in to this computer. ";
    SimulatedComputer othersSignedIn;
    othersSignedIn.otherUsers = true;
    const Computer shared = {"others signed in", othersSignedIn};
    const struct {
        DWORD action;
        int answer;
        std::string asked;
        DWORD forced; // InitiateShutdown's flags, 0 for no call
    } cases[] = {
        // SHUTDOWN_FORCE_OTHERS with SHUTDOWN_POWEROFF or SHUTDOWN_RESTART.
        {2, IDYES, others + "Turning it off now could cause them to lose unsaved work.", 0x1 | 0x8},
        {2, IDNO, others + "Turning it off now could cause them to lose unsaved work.", 0},
        {4, IDYES, others + "Restarting it now could cause them to lose unsaved work.", 0x1 | 0x4},
    };
    for (const auto& pressed : cases) {
        SCOPED_TRACE(pressed.action * 10 + pressed.answer);
        EXPECT_EQ(PressOn(shared, pressed.action, pressed.answer), pressed.asked);
        if (!pressed.forced) {
            EXPECT_TRUE(recorder.calls.empty());
            continue;
        }
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].function, "InitiateShutdownW");
        EXPECT_EQ(recorder.calls[0].first, pressed.forced);
        EXPECT_EQ(recorder.calls[0].second, PLANNED);
    }
    // Logging off ends no one else's session: nothing is asked.
    recorder.computer = shared.facts;
    UseSettings(1, 0);
    recorder.calls.clear();
    EXPECT_EQ(Press([](HWND box) { PressCloseBox(box); }), 0);
    EXPECT_EQ(recorder.calls.size(), 1u);
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
