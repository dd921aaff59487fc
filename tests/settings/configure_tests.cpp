// The settings dialog as the host opens it: Configure and ConfigureAndSave of the built
// plug-in, with the sample skins beside it.
#include "base/modaldialog.h"
#include "host/dialogdriver.h"
#include "host/importpatch.h"
#include "host/registryvalue.h"
#include "host/powerrecorder.h"
#include "host/settingsrecord.h"
#include "res/resource.h"
#include "tests/host/builtlanguage.h"
#include "tests/host/pluginfixture.h"
#include "tests/host/scratchfolder.h"
#include "tests/ledger/faultinjector.h"
#include "tests/settings/settingstestsupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class ConfigureTest : public PluginObjectTest {
protected:
    void SetUp() override {
        PluginObjectTest::SetUp();
        ASSERT_TRUE(shell.Install(library->Module()));
        record.flags = 191;
        record.skinName = "Glass\\quiescorskin.ini";
        record.hotKey = 0x0641;
        LoadBytes(record.Bytes());
    }

    // Opens the dialog through Configure(1); answer gets each dialog that opens.
    HRESULT Configure(std::function<void(HWND)> answer) {
        CDialogDriver driver(std::move(answer));
        return plugin->Configure(1);
    }
    std::string Calls() const {
        std::string text;
        for (const SiteCall& call : site.calls) {
            if (call.name == "GetParentWindow")
                continue;
            text += call.name;
            if (call.name == "SetHotKey")
                text += "(" + std::to_string(call.args[0]) + "," + std::to_string(call.args[1]) +
                        "," + std::to_string(call.args[2]) + ")";
            text += " ";
        }
        return text;
    }
    WORD HotKeyIn(HWND dialog) const {
        return static_cast<WORD>(SendMessageA(GetDlgItem(dialog, IDC_HOTKEY), HKM_GETHOTKEY, 0, 0));
    }

    SettingsRecord record;
    CShellRecorder shell;
};

// Unchecks Hibernate, picks Graphite and types Ctrl+Shift+Tab into the hot-key field.
void ChangeEverything(HWND dialog) {
    SendMessageA(GetDlgItem(dialog, IDC_CHECK_HIBERNATE), BM_CLICK, 0, 0);
    ChooseItem(dialog, IDC_SKINS, "Graphite");
    HWND hotKey = GetDlgItem(dialog, IDC_HOTKEY);
    SetFocus(hotKey);
    SendKey(hotKey, VK_CONTROL, true);
    SendKey(hotKey, VK_SHIFT, true);
    SendKey(hotKey, VK_TAB, true);
    SendKey(hotKey, VK_TAB, false);
    SendKey(hotKey, VK_SHIFT, false);
    SendKey(hotKey, VK_CONTROL, false);
}

TEST_F(ConfigureTest, ShowsTheCurrentSettingsOverTheHostWindow) {
    HWND host =
        CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    site.parentAnswer = host;
    plugin->SetSite(&site);
    std::string caption, selected, hotKeyClass;
    std::vector<SkinItem> items;
    HWND owner = nullptr;
    bool allChecked = true;
    WORD hotKey = 0;
    Configure([&](HWND dialog) {
        caption = WindowText(dialog);
        owner = GetWindow(dialog, GW_OWNER);
        items = ListItems(GetDlgItem(dialog, IDC_SKINS));
        selected = SelectedText(GetDlgItem(dialog, IDC_SKINS));
        for (int id : {IDC_CHECK_LOGOFF, IDC_CHECK_TURNOFF, IDC_CHECK_RESTART, IDC_CHECK_STANDBY,
                       IDC_CHECK_HIBERNATE, IDC_CHECK_SWITCHUSER, IDC_CHECK_CONFIRM})
            allChecked = allChecked && IsChecked(dialog, id);
        hotKey = HotKeyIn(dialog);
        char className[32] = {};
        GetClassNameA(GetDlgItem(dialog, IDC_HOTKEY), className, sizeof className);
        hotKeyClass = className;
        ClickButton(dialog, IDCANCEL);
    });
    DestroyWindow(host);
    EXPECT_EQ(caption, "Quiescor");
    EXPECT_EQ(owner, host);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].name, "<default>");
    EXPECT_EQ(items[1].name, "Glass");
    EXPECT_EQ(items[2].name, "Graphite");
    EXPECT_EQ(selected, "Glass");
    EXPECT_TRUE(allChecked);
    EXPECT_EQ(hotKey, 0x0641);
    EXPECT_EQ(hotKeyClass, "ZRKHOTKEY_CLASS") << "the host never chose a resource module";
}

// The reason the tooltip of the dialog's box gives, or "" without one.
std::string BoxTip(HWND dialog, int id) {
    wchar_t text[256] = {};
    HWND tips = nullptr;
    while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr))) {
        if (GetWindow(tips, GW_OWNER) != dialog)
            continue;
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&tool));
    }
    return Utf8(text);
}

TEST_F(ConfigureTest, BoxesOfWhatThisComputerCannotDoAreMarkedWithTheReason) {
    CPowerRecorder recorder;
    ASSERT_TRUE(recorder.Install(library->Module()));
    SimulatedComputer noHibernation;
    noHibernation.canHibernate = false;
    const std::string removed = " (!): Your administrator does not allow this action.; ";
    // A translation in another script reads right on an English system.
    ASSERT_EQ(GetACP(), ENGLISH_CODE_PAGE);
    const CBuiltLanguage russian("ru");
    ASSERT_NE(russian.Module(), nullptr);
    // Each box of an action as "text: tip; ", from log off to switch user.
    const struct {
        const char* name;
        SimulatedComputer computer;
        const char* policy;
        HMODULE language;
        std::string boxes;
    } cases[] = {
        {"can do everything",
         {},
         nullptr,
         nullptr,
         "Log off; Turn off; Restart; Stand by; Hibernate; Switch User; "},
        {"no hibernation", noHibernation, nullptr, nullptr,
         "Log off; Turn off; Restart; Stand by; "
         "Hibernate (!): Hibernation is turned off on this computer.; Switch User; "},
        {"NoClose",
         {},
         "NoClose",
         nullptr,
         "Log off; Turn off" + removed + "Restart" + removed + "Stand by" + removed + "Hibernate" +
             removed + "Switch User; "},
        {"no hibernation, in Russian", noHibernation, nullptr, russian.Module(),
         u8"Выход из системы; Выключение; Перезагрузка; Ждущий режим; "
         u8"Спящий режим (!): Спящий режим на этом компьютере отключён.; Смена пользователя; "},
    };
    for (const auto& opened : cases) {
        SCOPED_TRACE(opened.name);
        recorder.computer = opened.computer;
        std::unique_ptr<CRegistryValue> policy = opened.policy ? SetPolicy(opened.policy) : nullptr;
        ASSERT_TRUE(!opened.policy || (policy && policy->IsSet()));
        plugin->SetResourceModule(0, opened.language);
        std::string boxes;
        bool allChecked = true;
        Configure([&](HWND dialog) {
            for (int id : {IDC_CHECK_LOGOFF, IDC_CHECK_TURNOFF, IDC_CHECK_RESTART,
                           IDC_CHECK_STANDBY, IDC_CHECK_HIBERNATE, IDC_CHECK_SWITCHUSER}) {
                const std::string tip = BoxTip(dialog, id);
                boxes += ItemText(dialog, id) + (tip.empty() ? "" : ": ") + tip + "; ";
                allChecked = allChecked && IsChecked(dialog, id);
            }
            ClickButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(boxes, opened.boxes);
        EXPECT_TRUE(allChecked) << "the settings stay as they were";
    }
    plugin->SetResourceModule(0, nullptr);
}

TEST_F(ConfigureTest, OkStoresTheChangesRebindsTheHotKeyAndNotifies) {
    plugin->SetSite(&site);
    site.calls.clear();
    site.notifyAnswer = S_FALSE;
    // A host that reads the button's properties while it drops the old binding.
    std::vector<WORD> heldWhileUnbinding;
    site.onCall = [&](const SiteCall& call) {
        CaptionRecord record = {};
        if (call.name == "SetHotKey" && call.args[1] == 0 &&
            plugin->GetProperty(PROP_CAPTION_RECORD, 0, &record) == S_OK)
            heldWhileUnbinding.push_back(record.hotKey);
    };
    WORD typed = 0;
    bool stillOpen = false;
    HRESULT result = Configure([&](HWND dialog) {
        ChangeEverything(dialog);
        typed = HotKeyIn(dialog);
        stillOpen = IsWindowVisible(dialog) != FALSE;
        ClickButton(dialog, IDOK);
    });
    EXPECT_TRUE(stillOpen) << "Tab belongs to the hot key";
    EXPECT_EQ(typed, 0x0309);
    EXPECT_EQ(result, S_FALSE) << "the host's answer to NotifyChanged";
    EXPECT_EQ(Calls(), "SetHotKey(2,0,0) SetHotKey(2,777,0) NotifyChanged ");
    site.onCall = nullptr;
    EXPECT_EQ(heldWhileUnbinding, std::vector<WORD>{0x0641});
    std::vector<BYTE> saved = Saved();
    EXPECT_EQ(WordAt(saved, 4), 191u - 16u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&saved[SKIN_NAME_OFFSET]),
                 "Graphite\\quiescorskin.ini");
    EXPECT_EQ(saved[HOT_KEY_OFFSET] | saved[HOT_KEY_OFFSET + 1] << 8, 0x0309);
}

TEST_F(ConfigureTest, EnterEscapeAndBackspaceAreKeysWhileTheHotKeyFieldHasTheFocus) {
    plugin->SetSite(&site);
    std::vector<WORD> values;
    Configure([&](HWND dialog) {
        HWND hotKey = GetDlgItem(dialog, IDC_HOTKEY);
        SetFocus(hotKey);
        for (UINT key : {VK_RETURN, VK_ESCAPE, VK_BACK}) {
            PostMessageA(hotKey, WM_KEYDOWN, key, KeyData(key));
            PostMessageA(hotKey, WM_KEYUP, key, KeyData(key, false, true));
        }
        PostMessageA(dialog, WM_APP, 0, 0); // after the keys
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) && message.message != WM_APP) {
            if (!IsDialogMessageA(dialog, &message))
                DispatchMessageA(&message);
            if (message.message == WM_KEYUP)
                values.push_back(HotKeyIn(dialog));
        }
        PressCloseBox(dialog);
    });
    EXPECT_EQ(values,
              (std::vector<WORD>{0x0600 | VK_RETURN, 0x0600 | VK_ESCAPE, 0x0600 | VK_BACK}));
    EXPECT_EQ(site.Count("NotifyChanged"), 0u);
}

TEST_F(ConfigureTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    plugin->SetSite(&site);
    const std::vector<BYTE> before = Saved();
    const std::function<void(HWND)> answers[] = {
        [](HWND dialog) { ClickButton(dialog, IDCANCEL); },
        [](HWND dialog) { PressEscape(dialog); },
        [](HWND dialog) { PressCloseBox(dialog); },
    };
    for (const auto& leave : answers) {
        site.calls.clear();
        EXPECT_EQ(Configure([&](HWND dialog) {
                      ChangeEverything(dialog);
                      SetFocus(GetDlgItem(dialog, IDC_SKINS));
                      leave(dialog);
                  }),
                  S_OK);
        EXPECT_EQ(Calls(), "");
        EXPECT_EQ(Saved(), before);
    }
}

HBITMAP WINAPI NoCompatibleBitmap(HDC, int, int) {
    return nullptr;
}

// Memory or the GDI quota may run out once: that preview is not kept for the object's life.
TEST_F(ConfigureTest, APreviewThatCouldNotBeMadeIsMadeAgainNextTime) {
    auto previewShown = [&] {
        RECT drawn = {};
        Configure([&](HWND dialog) {
            const RECT area = DialogItemRect(dialog, IDC_PREVIEW);
            const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
            drawn = CaptureClient(dialog)->Extent([&](COLORREF c) { return c != face; }, area);
            ClickButton(dialog, IDCANCEL);
        });
        return !IsRectEmpty(&drawn);
    };
    {
        CImportPatch failing;
        ASSERT_TRUE(failing.Install(library->Module(), "gdi32.dll", "CreateCompatibleBitmap",
                                    reinterpret_cast<void*>(NoCompatibleBitmap)));
        EXPECT_FALSE(previewShown());
    }
    EXPECT_TRUE(previewShown());
}

TEST_F(ConfigureTest, ConfigureAndSaveWritesTheStreamWithoutTheSite) {
    plugin->SetSite(&site);
    site.calls.clear();
    StreamPtr cancelled = StreamWith({});
    {
        CDialogDriver driver([](HWND dialog) { PressCloseBox(dialog); });
        EXPECT_EQ(plugin->ConfigureAndSave(cancelled.Get()), S_FALSE);
    }
    EXPECT_TRUE(StreamBytes(cancelled.Get()).empty());

    StreamPtr accepted = StreamWith({});
    {
        CDialogDriver driver([](HWND dialog) {
            ChangeEverything(dialog);
            ClickButton(dialog, IDOK);
        });
        EXPECT_EQ(plugin->ConfigureAndSave(accepted.Get()), S_OK);
    }
    std::vector<BYTE> saved = StreamBytes(accepted.Get());
    ASSERT_EQ(saved.size(), RECORD_SIZE);
    EXPECT_EQ(WordAt(saved, 4), 175u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&saved[SKIN_NAME_OFFSET]),
                 "Graphite\\quiescorskin.ini");
    EXPECT_EQ(saved[HOT_KEY_OFFSET] | saved[HOT_KEY_OFFSET + 1] << 8, 0x0309);
    EXPECT_EQ(Calls(), "");

    ScratchFolder scratch;
    StreamPtr refusing = ReadOnlyStream(scratch.Write("settings.dat", ""));
    {
        CDialogDriver driver([](HWND dialog) { ClickButton(dialog, IDOK); });
        EXPECT_EQ(plugin->ConfigureAndSave(refusing.Get()), STG_E_ACCESSDENIED)
            << "the host hears of it";
    }
}

// The user removes the button while its settings are open: the host drops the object.
TEST_F(ConfigureTest, AButtonRemovedWhileItsSettingsAreOpenTakesNothingFromThem) {
    const struct {
        std::function<HRESULT(IHostPlugin*)> open;
        HRESULT expected;
    } runs[] = {
        {[](IHostPlugin* object) { return object->Configure(1); }, S_OK},
        {[](IHostPlugin* object) {
             StreamPtr stream = StreamWith({});
             HRESULT result = object->ConfigureAndSave(stream.Get());
             return StreamBytes(stream.Get()).empty() ? result : E_UNEXPECTED;
         },
         S_FALSE},
    };
    for (const auto& run : runs) {
        plugin->SetSite(&site);
        site.calls.clear();
        HRESULT unloadWhileOpen = E_FAIL;
        HRESULT result = E_FAIL;
        {
            CDialogDriver driver([&](HWND dialog) {
                ChangeEverything(dialog);
                plugin->SetSite(nullptr);
                plugin->Release();
                plugin = nullptr;
                unloadWhileOpen = library->CanUnloadNow();
                ClickButton(dialog, IDOK);
            });
            result = run.open(plugin);
        }
        EXPECT_EQ(unloadWhileOpen, S_FALSE) << "alive until its dialog has returned";
        EXPECT_EQ(library->CanUnloadNow(), S_OK);
        EXPECT_EQ(Calls(), "");
        EXPECT_EQ(result, run.expected);
        plugin = library->CreatePlugin();
        ASSERT_NE(plugin, nullptr);
    }
}

TEST_F(ConfigureTest, AboutBoxAndSkinLibraryFromALanguageModulesDialog) {
    HMODULE language = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(language, nullptr);
    plugin->SetResourceModule(0, language);
    HINSTANCE instance = nullptr;
    HWND settings = nullptr, aboutOwner = nullptr;
    std::string version, aboutCaption;
    Configure([&](HWND dialog) {
        if (!settings) {
            settings = dialog;
            instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
            SendMessageA(GetDlgItem(dialog, IDC_GET_SKINS), BM_CLICK, 0, 0);
            ClickButton(dialog, IDC_ABOUT_BUTTON);
            return;
        }
        aboutCaption = WindowText(dialog);
        aboutOwner = GetWindow(dialog, GW_OWNER);
        version = ItemText(dialog, IDC_ABOUT_VERSION);
        ClickButton(dialog, IDOK);
        PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(instance, language);
    EXPECT_EQ(aboutCaption, "About");
    EXPECT_EQ(aboutOwner, settings);
    EXPECT_EQ(version, "v2.1");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb, "open");
    plugin->SetResourceModule(0, nullptr);
    FreeLibrary(language);
}

// A plug-in installed below a folder that happens to be called "skins".
TEST(ConfigureElsewhere, SkinNameIsTakenBelowThePluginsOwnSkinsFolder) {
    ScratchFolder scratch;
    const std::string dll = scratch.CopyPlugin("skins\\Tools\\quiescor.dll");
    ASSERT_FALSE(
        scratch.Write("skins\\Tools\\skins\\Blue\\quiescorskin.ini", "[general]\r\nName=Blue\r\n")
            .empty());
    PluginLibrary library(dll);
    ASSERT_TRUE(library.IsLoaded());
    IHostPlugin* plugin = library.CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    std::string selectedAgain;
    {
        CDialogDriver driver([](HWND dialog) {
            ChooseItem(dialog, IDC_SKINS, "Blue");
            ClickButton(dialog, IDOK);
        });
        plugin->Configure(1);
    }
    {
        CDialogDriver driver([&](HWND dialog) {
            selectedAgain = SelectedText(GetDlgItem(dialog, IDC_SKINS));
            ClickButton(dialog, IDCANCEL);
        });
        plugin->Configure(1);
    }
    StreamPtr stream = StreamWith({});
    plugin->Save(stream.Get());
    plugin->Release();
    std::vector<BYTE> saved = StreamBytes(stream.Get());
    ASSERT_EQ(saved.size(), RECORD_SIZE);
    EXPECT_STREQ(reinterpret_cast<const char*>(&saved[SKIN_NAME_OFFSET]), "Blue\\quiescorskin.ini");
    EXPECT_EQ(selectedAgain, "Blue");
}

// The hot-key class stays registered in the language module when the plug-in is
// unloaded; loaded again elsewhere, the plug-in must not reach into its old image.
TEST(ConfigureElsewhere, HotKeyFieldWorksAfterThePluginIsLoadedAgainAtAnotherAddress) {
    HMODULE language = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(language, nullptr);
    ScratchFolder scratch;
    const std::string dll = scratch.CopyPlugin("quiescor.dll");
    void* firstBase = nullptr;
    SIZE_T imageSize = 0;
    {
        PluginLibrary first(dll);
        ASSERT_TRUE(first.IsLoaded());
        IHostPlugin* plugin = first.CreatePlugin();
        ASSERT_NE(plugin, nullptr);
        plugin->SetResourceModule(0, language);
        plugin->Release();
        firstBase = first.Module();
        imageSize = ModuleImageSize(first.Module());
    }
    ASSERT_EQ(GetModuleHandleA(dll.c_str()), nullptr) << "the first load is gone";
    // Its addresses stay taken, so that the second load has to go elsewhere.
    void* reserved = VirtualAlloc(firstBase, imageSize, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_EQ(reserved, firstBase);

    WORD answered = 0;
    int dialogs = 0;
    {
        PluginLibrary second(dll);
        ASSERT_TRUE(second.IsLoaded());
        EXPECT_NE(static_cast<void*>(second.Module()), firstBase);
        IHostPlugin* plugin = second.CreatePlugin();
        ASSERT_NE(plugin, nullptr);
        plugin->SetResourceModule(0, language);
        {
            CDialogDriver driver([&](HWND dialog) {
                HWND field = GetDlgItem(dialog, IDC_HOTKEY);
                SendMessageA(field, HKM_SETHOTKEY, 0x0641, 0);
                answered = static_cast<WORD>(SendMessageA(field, HKM_GETHOTKEY, 0, 0));
                ClickButton(dialog, IDCANCEL);
            });
            plugin->Configure(1);
            dialogs = driver.DialogsSeen();
        }
        plugin->Release();
    }
    VirtualFree(reserved, 0, MEM_RELEASE);
    UnregisterClassA("ZRKHOTKEY_CLASS", language);
    FreeLibrary(language);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(answered, 0x0641);
}

} // namespace
