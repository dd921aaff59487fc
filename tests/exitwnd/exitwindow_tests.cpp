// The exit window as the user meets it: a press of the plug-in's button with two or
// more actions enabled, answered from inside the window's own message loop.
#include "host/dialogdriver.h"
#include "host/highcontrastswitch.h"
#include "host/importpatch.h"
#include "host/registryvalue.h"
#include "host/settingsrecord.h"
#include "res/resource.h"
#include "tests/host/builtlanguage.h"
#include "tests/host/canvas.h"
#include "tests/host/exitwindowinput.h"
#include "host/messagepump.h"
#include "tests/host/pluginfixture.h"
#include "tests/host/scratchfolder.h"
#include "host/screenresolution.h"
#include "tests/exitwnd/skintestsupport.h"
#include "tests/ledger/faultinjector.h"

#include <ole2.h>
#include <psapi.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<LONG> ButtonIds(HWND window) {
    std::vector<LONG> ids;
    for (HWND button : ImageButtons(window))
        ids.push_back(GetWindowLongA(button, GWL_ID));
    return ids;
}

// The white pixels of the window's captions as painted now.
int CaptionInk(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    return ClientPixels(window)->Count(RGB(255, 255, 255));
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// A window's client as a screen reader gets it, or null.
IAccessible* ClientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::string Said(IAccessible* object,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    if ((object->*ask)(Self(), &text) != S_OK || !text)
        return "(none)";
    const std::string heard = Utf8(std::wstring_view(text, SysStringLen(text)));
    SysFreeString(text);
    return heard;
}

LONG Number(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, VARIANT*)) {
    VARIANT value;
    VariantInit(&value);
    const bool read = (object->*ask)(Self(), &value) == S_OK && value.vt == VT_I4;
    const LONG number = read ? value.lVal : -1;
    VariantClear(&value);
    return number;
}

struct Heard {
    std::string name, description, shortcut, action;
    LONG role = -1;
    LONG state = -1;
};

Heard Hear(HWND window) {
    Heard heard;
    IAccessible* object = ClientObject(window);
    if (!object)
        return heard;
    heard = {Said(object, &IAccessible::get_accName),
             Said(object, &IAccessible::get_accDescription),
             Said(object, &IAccessible::get_accKeyboardShortcut),
             Said(object, &IAccessible::get_accDefaultAction),
             Number(object, &IAccessible::get_accRole),
             Number(object, &IAccessible::get_accState)};
    object->Release();
    return heard;
}

struct WinEvent {
    HWND window;
    LONG object;
    LONG child;
};

std::vector<WinEvent> focusEvents;

void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                          DWORD) {
    focusEvents.push_back({window, object, child});
}

class ExitWindowTest : public PluginPressTest {
protected:
    // Presses the plug-in's button; answer gets the exit window.
    void Press(std::function<void(HWND)> answer) {
        CDialogDriver driver(std::move(answer));
        plugin->Execute();
        EXPECT_EQ(driver.DialogsSeen(), 1);
    }
    std::string Performed() const {
        if (recorder.calls.size() != 1)
            return std::to_string(recorder.calls.size()) + " calls";
        const PowerCall& call = recorder.calls[0];
        return call.function + "(" + std::to_string(call.first) + "," +
               std::to_string(call.second) + ")";
    }
};

TEST_F(ExitWindowTest, TwoActionsGiveTwoButtonsAndCancelAndEnterActsOnTheFirst) {
    Use(1 + 2 + 32);
    std::vector<LONG> ids;
    LONG focused = 0;
    RECT rect = {};
    Press([&](HWND window) {
        ids = ButtonIds(window);
        focused = GetFocus() ? GetWindowLongA(GetFocus(), GWL_ID) : 0;
        GetWindowRect(window, &rect);
        PressKey(window, VK_RETURN);
    });
    EXPECT_EQ(ids, (std::vector<LONG>{1, 2, 64}));
    EXPECT_EQ(focused, 1) << "log off comes first";
    EXPECT_EQ(Performed(), "ExitWindowsEx(0,2147483648)");
    EXPECT_EQ(WordAt(Saved(), 8), 1u);

    // Centred by integer halves on the 1024 x 768 screen.
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    EXPECT_EQ(rect.left, 512 - width / 2);
    EXPECT_EQ(rect.top, 384 - height / 2);
    EXPECT_EQ(width, 313);
    EXPECT_EQ(height, 198);
}

TEST_F(ExitWindowTest, LettersChooseActionsEvenWithoutTheirButtons) {
    Use(1 + 2);
    Press([](HWND window) { PressKey(window, 'H'); });
    EXPECT_EQ(Performed(), "SetSystemPowerState(0,0)");

    recorder.calls.clear();
    Use(4 + 8 + 16);
    Press([](HWND window) { PressKey(window, 'R'); });
    EXPECT_EQ(Performed(), "ExitWindowsEx(2,2147483648)");
}

// Keys typed before the window first paints, as right after a hot key: they arrive while
// the window is being shown, before any of its buttons exists.
class TypedAhead {
public:
    explicit TypedAhead(std::vector<WPARAM> keys) : hook(nullptr) {
        pending = std::move(keys);
        hook = SetWindowsHookExA(WH_CBT, Activated, nullptr, GetCurrentThreadId());
    }
    ~TypedAhead() {
        if (hook)
            UnhookWindowsHookEx(hook);
    }
    TypedAhead(const TypedAhead&) = delete;
    TypedAhead& operator=(const TypedAhead&) = delete;

private:
    static LRESULT CALLBACK Activated(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            HWND window = reinterpret_cast<HWND>(wParam);
            for (WPARAM key : pending) {
                PostMessageA(window, WM_KEYDOWN, key, 1);
                PostMessageA(window, WM_KEYUP, key, 0xC0000001);
            }
            pending.clear();
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::vector<WPARAM> pending;
    HHOOK hook;
};

TEST_F(ExitWindowTest, KeysTypedBeforeTheFirstPaintActAsTheyWouldAMomentLater) {
    const struct {
        WPARAM key;
        const char* performed;
    } cases[] = {
        {VK_RETURN, "ExitWindowsEx(0,2147483648)"}, // log off has the focus first
        {VK_SPACE, "ExitWindowsEx(0,2147483648)"},
        {'R', "ExitWindowsEx(2,2147483648)"},
        {VK_ESCAPE, "0 calls"},
    };
    for (const auto& typed : cases) {
        recorder.calls.clear();
        Use(1 + 2 + 32);
        TypedAhead keys({typed.key});
        CDialogDriver driver([](HWND window) { PressKey(window, VK_ESCAPE); });
        plugin->Execute();
        EXPECT_EQ(Performed(), typed.performed) << "key " << typed.key;
    }
}

TEST_F(ExitWindowTest, CancelEscapeAndEnterOnCancelDoNothing) {
    const std::function<void(HWND)> answers[] = {
        [](HWND window) { ClickOn(ButtonWithId(window, 64)); },
        [](HWND window) { PressKey(window, VK_ESCAPE); },
        [](HWND window) {
            SetFocus(ButtonWithId(window, 64));
            PressKey(window, VK_RETURN);
        },
        [](HWND window) { PressCloseBox(window); },
    };
    for (const auto& answer : answers) {
        Use(191);
        Press(answer);
        EXPECT_TRUE(recorder.calls.empty());
        EXPECT_EQ(site.Count("NotifyChanged"), 0u);
    }
}

TEST_F(ExitWindowTest, ClickingAButtonPerformsItsAction) {
    Use(191);
    std::vector<LONG> ids;
    Press([&](HWND window) {
        ids = ButtonIds(window);
        ClickOn(ButtonWithId(window, 16));
    });
    EXPECT_EQ(ids, (std::vector<LONG>{128, 1, 8, 16, 2, 4, 64}));
    EXPECT_EQ(Performed(), "SetSystemPowerState(0,0)");
}

TEST_F(ExitWindowTest, FolderSkinShowsTheButtonsItDefines) {
    // Glass has switch user, hibernate, restart, turn off and Cancel.
    Use(1 + 2, "Glass\\quiescorskin.ini");
    std::vector<LONG> ids;
    RECT rect = {};
    Press([&](HWND window) {
        ids = ButtonIds(window);
        GetWindowRect(window, &rect);
        ClickOn(ButtonWithId(window, 16));
    });
    EXPECT_EQ(ids, (std::vector<LONG>{128, 16, 2, 4, 64}));
    EXPECT_EQ(rect.right - rect.left, 420);
    EXPECT_EQ(Performed(), "SetSystemPowerState(0,0)") << "hibernate works though not enabled";

    // Graphite has no switch-user button; the letter still chooses it.
    recorder.calls.clear();
    Use(128 + 2, "Graphite\\quiescorskin.ini");
    Press([&](HWND window) {
        ids = ButtonIds(window);
        PressKey(window, 'W');
    });
    EXPECT_EQ(ids, (std::vector<LONG>{1, 8, 2, 4, 64}));
    EXPECT_EQ(Performed(), "LockWorkStation(0,0)");
}

TEST_F(ExitWindowTest, TabMovesTheFocusInCreationOrder) {
    Use(1 + 8 + 2);
    std::vector<LONG> order;
    Press([&](HWND window) {
        for (int i = 0; i < 4; ++i) {
            order.push_back(GetWindowLongA(GetFocus(), GWL_ID));
            SendMessageA(window, WM_NEXTDLGCTL, 0, FALSE);
        }
        PressKey(window, VK_ESCAPE);
    });
    EXPECT_EQ(order, (std::vector<LONG>{1, 8, 2, 64}));
}

TEST_F(ExitWindowTest, CommandsOfNoButtonChangeNothing) {
    Use(1 + 2 + 4);
    int before = 0;
    int after = 0;
    bool open = false;
    Press([&](HWND window) {
        before = CaptionInk(window);
        // The last is no click but a control's notification under turn off's identifier,
        // as a language module's template can make one.
        const WPARAM foreigns[] = {999, 132, 100, 0x10000 | 999, MAKEWPARAM(102, EN_SETFOCUS)};
        for (WPARAM foreign : foreigns)
            SendMessageA(window, WM_COMMAND, foreign, 0);
        after = CaptionInk(window);
        open = IsWindowVisible(window) != FALSE;
        PressKey(window, VK_RETURN);
    });
    EXPECT_GT(before, 50) << "three captions";
    EXPECT_EQ(after, before);
    EXPECT_TRUE(open);
    EXPECT_EQ(Performed(), "ExitWindowsEx(0,2147483648)")
        << "Enter still acts on the focused log off";
}

// Screen readers ask through COM, in the host's apartment.
class ExitWindowAccessibilityTest : public ExitWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ExitWindowTest::SetUp();
        GetCursorPos(&cursor);
    }
    void TearDown() override {
        SetCursorPos(cursor.x, cursor.y);
        ExitWindowTest::TearDown();
        CoUninitialize();
    }

    POINT cursor = {};
};

TEST_F(ExitWindowAccessibilityTest, ScreenReadersHearTheWindowAndEachButton) {
    constexpr LONG ENABLED = STATE_SYSTEM_FOCUSABLE;
    constexpr LONG SPOKEN_STATES =
        ENABLED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_UNAVAILABLE;
    const struct {
        LONG id;
        Heard heard;
    } rows[] = {
        {128,
         {"Switch User",
          "Lets another user log on while your programs and files remain open. (You can also "
          "switch users by pressing the Windows logo key + L)",
          "W", "Press", ROLE_SYSTEM_PUSHBUTTON, ENABLED | STATE_SYSTEM_FOCUSED}},
        {2,
         {"Turn Off",
          "Ends your session and shuts down Windows so that you can safely turn off power.", "T",
          "Press", ROLE_SYSTEM_PUSHBUTTON, ENABLED | STATE_SYSTEM_HOTTRACKED}},
        {4,
         {"Restart", "Ends your session, shuts down Windows, and starts Windows again.", "R",
          "(none)", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_UNAVAILABLE}},
        {64, {"Cancel", "Close this window", "Escape", "Press", ROLE_SYSTEM_PUSHBUTTON, ENABLED}},
    };
    Use(191);
    Heard dialog;
    std::map<LONG, Heard> heard;
    HWND logOff = nullptr;
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, RecordFocus,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    Press([&](HWND window) {
        RECT turnOff;
        GetWindowRect(ButtonWithId(window, 2), &turnOff);
        SetCursorPos((turnOff.left + turnOff.right) / 2, (turnOff.top + turnOff.bottom) / 2);
        EnableWindow(ButtonWithId(window, 4), FALSE);
        dialog = Hear(window);
        for (const auto& row : rows)
            heard[row.id] = Hear(ButtonWithId(window, row.id));
        focusEvents.clear();
        SendMessageA(window, WM_NEXTDLGCTL, 0, FALSE);
        Pump();
        logOff = ButtonWithId(window, 1);
        PressKey(window, VK_ESCAPE);
    });
    UnhookWinEvent(hook);

    EXPECT_EQ(dialog.name, "Turn off computer");
    EXPECT_EQ(dialog.role, ROLE_SYSTEM_DIALOG);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        const Heard& button = heard[row.id];
        EXPECT_EQ(button.name, row.heard.name);
        EXPECT_EQ(button.description, row.heard.description);
        EXPECT_EQ(button.shortcut, row.heard.shortcut);
        EXPECT_EQ(button.action, row.heard.action);
        EXPECT_EQ(button.role, row.heard.role);
        EXPECT_EQ(button.state & SPOKEN_STATES, row.heard.state);
    }
    // The system announces the focus of a window; a second announcement would make
    // screen readers say each button twice.
    ASSERT_EQ(focusEvents.size(), 1u);
    EXPECT_EQ(focusEvents[0].window, logOff) << "Tab went on from switch user";
    EXPECT_EQ(focusEvents[0].object, OBJID_CLIENT);
    EXPECT_EQ(focusEvents[0].child, CHILDID_SELF);
}

// A tip's description is what follows its title and rule, its line breaks heard as spaces.
std::string TipDescription(const std::string& tip) {
    const std::string rule = "<hr=100%><br>";
    const size_t at = tip.find(rule);
    std::string description = at == std::string::npos ? tip : tip.substr(at + rule.size());
    for (size_t br; (br = description.find("<br>")) != std::string::npos;)
        description.replace(br, 4, " ");
    return description;
}

// A translation in another script on an English system: the window's title, and each
// button's name and description as screen readers hear them, are the module's own texts.
TEST_F(ExitWindowAccessibilityTest, ARussianModuleIsHeardInItsOwnScriptOnAnEnglishSystem) {
    ASSERT_EQ(GetACP(), ENGLISH_CODE_PAGE);
    const CBuiltLanguage russian("ru");
    ASSERT_NE(russian.Module(), nullptr);
    const struct {
        LONG id;
        UINT caption;
        UINT tip;
    } rows[] = {
        {1, IDS_CAPTION_LOGOFF, IDS_TIP_LOGOFF},
        {2, IDS_CAPTION_TURNOFF, IDS_TIP_TURNOFF},
        {4, IDS_CAPTION_RESTART, IDS_TIP_RESTART},
        {8, IDS_CAPTION_STANDBY, IDS_TIP_STANDBY},
        {16, IDS_CAPTION_HIBERNATE, IDS_TIP_HIBERNATE},
        {128, IDS_CAPTION_SWITCHUSER, IDS_TIP_SWITCHUSER},
        {64, IDS_CAPTION_CANCEL, IDS_TIP_CANCEL},
    };
    Use(191);
    plugin->SetResourceModule(0, russian.Module());
    std::string title;
    Heard dialog;
    std::map<LONG, Heard> heard;
    Press([&](HWND window) {
        title = WindowText(window);
        dialog = Hear(window);
        for (const auto& row : rows)
            heard[row.id] = Hear(ButtonWithId(window, row.id));
        PressKey(window, VK_ESCAPE);
    });
    plugin->SetResourceModule(0, nullptr);

    EXPECT_EQ(title, russian.Utf8Text(IDS_EXITWINDOW_TITLE));
    EXPECT_EQ(dialog.name, title);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(heard[row.id].name, russian.Utf8Text(row.caption));
        EXPECT_EQ(heard[row.id].description, TipDescription(russian.Utf8Text(row.tip)));
    }
}

std::unique_ptr<CCanvas> Painted(HWND button) {
    InvalidateRect(button, nullptr, TRUE);
    UpdateWindow(button);
    return ClientPixels(button);
}

// How many pixels the greyed picture changed, all to grey; -1 when one is not grey.
int GreyedPixels(const CCanvas& shown, const CCanvas& greyed) {
    int changed = 0;
    for (int y = 0; y < shown.Height(); ++y) {
        for (int x = 0; x < shown.Width(); ++x) {
            const COLORREF c = greyed.Pixel(x, y);
            if (c == shown.Pixel(x, y))
                continue;
            if (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c))
                return -1;
            ++changed;
        }
    }
    return changed;
}

std::vector<LONG> DisabledIds(HWND window) {
    std::vector<LONG> ids;
    for (HWND button : ImageButtons(window)) {
        if (!IsWindowEnabled(button))
            ids.push_back(GetWindowLongA(button, GWL_ID));
    }
    return ids;
}

TEST_F(ExitWindowAccessibilityTest, RemovedActionsAreGoneAndImpossibleOnesGreyedWithTheirReason) {
    SimulatedComputer noHibernation;
    noHibernation.canHibernate = false;
    SimulatedComputer noPrivilege;
    noPrivilege.shutdownPrivilege = false;
    const std::string noRight = "You do not have permission to shut down this computer.";
    const std::string noFile = "Hibernation is turned off on this computer.";
    const std::vector<LONG> all = {128, 1, 8, 16, 2, 4, 64};
    const std::vector<LONG> unlocked = {1, 8, 16, 2, 4, 64};
    const char* glass = "Glass\\quiescorskin.ini";
    const char* noLock = "DisableLockWorkstation";
    const struct {
        const char* name;
        SimulatedComputer computer;
        const char* policy;
        DWORD flags;
        const char* skin;
        std::vector<LONG> ids, greyed;
        std::string reason; // of each greyed button, as screen readers hear it
        const char* deadLetters;
        bool olderLanguageModule = false; // without the reasons
    } cases[] = {
        {"NoClose", {}, "NoClose", 191, "", {128, 1, 64}, {}, "", "TRSH"},
        {"folder skin", {}, "NoClose", 131, glass, {128, 64}, {}, "", "TRSH"},
        {"no hibernation", noHibernation, nullptr, 191, "", all, {16}, noFile, "H"},
        {"old language module", noHibernation, nullptr, 191, "", all, {16}, noFile, "H", true},
        {"no privilege", noPrivilege, noLock, 191, "", unlocked, {8, 16, 2, 4}, noRight, "TRSHW"},
    };
    for (const auto& pressed : cases) {
        SCOPED_TRACE(pressed.name);
        std::unique_ptr<CRegistryValue> policy =
            pressed.policy ? SetPolicy(pressed.policy) : nullptr;
        ASSERT_TRUE(!pressed.policy || (policy && policy->IsSet()));
        Use(pressed.flags, pressed.skin);
        LibraryHandle language(pressed.olderLanguageModule ? LoadLibraryA("lang_1_2_0_0.dll")
                                                           : nullptr);
        ASSERT_EQ(pressed.olderLanguageModule, language.Get() != nullptr);
        plugin->SetResourceModule(0, language.Get());
        // The same window where everything can be done shows the pictures to grey.
        std::map<LONG, std::unique_ptr<CCanvas>> shown;
        recorder.computer = {};
        Press([&](HWND window) {
            for (LONG id : pressed.greyed)
                shown[id] = Painted(ButtonWithId(window, id));
            PressKey(window, VK_ESCAPE);
        });
        recorder.computer = pressed.computer;
        std::vector<LONG> ids, greyed;
        std::vector<Heard> heard;
        LONG focused = 0;
        bool grey = true;
        bool openAfterLetters = false;
        Press([&](HWND window) {
            ids = ButtonIds(window);
            greyed = DisabledIds(window);
            focused = GetFocus() ? GetWindowLongA(GetFocus(), GWL_ID) : 0;
            for (LONG id : greyed) {
                heard.push_back(Hear(ButtonWithId(window, id)));
                grey = grey && shown[id] &&
                       GreyedPixels(*shown[id], *Painted(ButtonWithId(window, id))) > 0;
                ClickOn(ButtonWithId(window, id));
            }
            // The letters of what was removed or cannot be done do nothing.
            for (char letter : std::string(pressed.deadLetters))
                PressKey(window, letter);
            openAfterLetters = IsWindowVisible(window) != FALSE;
            PressKey(window, VK_ESCAPE);
        });
        EXPECT_EQ(ids, pressed.ids);
        EXPECT_EQ(greyed, pressed.greyed);
        EXPECT_TRUE(grey) << "greyed pictures";
        EXPECT_EQ(focused, pressed.ids.front()) << "the first button that can act";
        ASSERT_EQ(heard.size(), pressed.greyed.size());
        for (const Heard& button : heard) {
            EXPECT_EQ(button.description, pressed.reason);
            EXPECT_EQ(button.state & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
        }
        EXPECT_TRUE(openAfterLetters);
        EXPECT_TRUE(recorder.calls.empty()) << Performed();
        plugin->SetResourceModule(0, nullptr);
    }
}

// A screen reader may hold a button's object after pressing it, and after the window
// and the plug-in object are gone.
TEST_F(ExitWindowAccessibilityTest, TheDefaultActionPressesAndTheObjectOutlivesTheWindow) {
    Use(1 + 2 + 16);
    IAccessible* kept = nullptr;
    HRESULT pressed = E_FAIL;
    Press([&](HWND window) {
        kept = ClientObject(ButtonWithId(window, 16));
        pressed = kept ? kept->accDoDefaultAction(Self()) : E_FAIL;
    });
    EXPECT_EQ(pressed, S_OK);
    EXPECT_EQ(Performed(), "SetSystemPowerState(0,0)");
    ASSERT_NE(kept, nullptr);

    BSTR name = nullptr;
    VARIANT state;
    VariantInit(&state);
    HWND window = nullptr;
    IOleWindow* oleWindow = nullptr;
    EXPECT_EQ(kept->get_accName(Self(), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(kept->get_accState(Self(), &state), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(kept->accDoDefaultAction(Self()), CO_E_OBJNOTCONNECTED);
    ASSERT_EQ(kept->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)), S_OK);
    EXPECT_EQ(oleWindow->GetWindow(&window), CO_E_OBJNOTCONNECTED);
    oleWindow->Release();
    EXPECT_EQ(recorder.calls.size(), 1u);

    plugin->Release();
    plugin = nullptr;
    EXPECT_EQ(library->CanUnloadNow(), S_FALSE) << "the object's code must stay loaded";
    kept->Release();
    EXPECT_EQ(library->CanUnloadNow(), S_OK);
}

// The window's own paint shows every button as it is, so the first frame on the screen is
// whole before the buttons paint themselves; and with the pointer resting nowhere yet, no
// tooltip window has been made.
TEST_F(ExitWindowTest, TheWindowAloneShowsEveryButtonInItsState) {
    Use(191);
    POINT cursor = {};
    GetCursorPos(&cursor);
    // A window appearing under the pointer hears of it at once.
    SetCursorPos(0, 0);
    int tipsBefore = -1;
    int tipsAfter = -1;
    int differing = -1;
    Press([&](HWND window) {
        tipsBefore = static_cast<int>(TooltipWindows().size());
        // The focus moves on to log off, and the pointer comes to stand by.
        SendMessageA(window, WM_NEXTDLGCTL, 0, FALSE);
        SendMessageA(ButtonWithId(window, 8), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        tipsAfter = static_cast<int>(TooltipWindows().size());
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto withButtons = ClientPixels(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
        auto windowAlone = ClientPixels(window);
        differing = withButtons->Differing(*windowAlone);
        PressKey(window, VK_ESCAPE);
    });
    SetCursorPos(cursor.x, cursor.y);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(tipsBefore, 0);
    EXPECT_EQ(tipsAfter, 1) << "made for the first move over a button";
    EXPECT_TRUE(recorder.calls.empty());
}

// The ids of the buttons outlined in the system's selection colours just inside their
// rectangles, each ring as wide as the resolution makes a pixel, as in "1 2 ".
std::string OutlinedButtons(HWND window, const CCanvas& pixels) {
    const int ring = std::max(1, MulDiv(1, ScreenDpi(), 96));
    std::string outlined;
    for (HWND button : ImageButtons(window)) {
        RECT r;
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const int middle = (r.top + r.bottom) / 2;
        const COLORREF outer = GetSysColor(COLOR_HIGHLIGHT);
        const COLORREF inner = GetSysColor(COLOR_HIGHLIGHTTEXT);
        const bool marked = pixels.Pixel(r.left + ring, middle) == outer &&
                            pixels.Pixel(r.right - 1 - ring, middle) == outer &&
                            pixels.Pixel(r.left + ring + 1, middle) == inner &&
                            pixels.Pixel(r.left + 2 * ring, middle) == inner;
        if (marked)
            outlined += std::to_string(GetWindowLongA(button, GWL_ID)) + " ";
    }
    return outlined;
}

// Wine cannot switch the mode on for the whole system: the plug-in alone finds it on. The
// window is pressed with the mode off, on and off again, from one object that keeps the
// window's picture between presses.
TEST_F(ExitWindowTest, AtScreenDpiHighContrastOutlinesTheFocusAndColoursTheCaptions) {
    struct Look {
        // By the window's own paint with log off focused, by the buttons' own paints once
        // the focus moved on to turn off, and by the window's own paint again.
        std::string outlined;
        int text = 0;
        std::unique_ptr<CCanvas> first;
    };
    auto look = [&] {
        Look seen;
        Press([&](HWND window) {
            auto paintAlone = [window] {
                RedrawWindow(window, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
                return ClientPixels(window);
            };
            seen.first = paintAlone();
            seen.outlined = OutlinedButtons(window, *seen.first) + "| ";
            seen.text = seen.first->Count(GetSysColor(COLOR_WINDOWTEXT));
            SendMessageA(window, WM_NEXTDLGCTL, 0, FALSE);
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            seen.outlined += OutlinedButtons(window, *ClientPixels(window)) + "| ";
            seen.outlined += OutlinedButtons(window, *paintAlone());
            PressKey(window, VK_ESCAPE);
        });
        return seen;
    };
    Use(1 + 2 + 32);
    const Look before = look();
    CHighContrastSwitch highContrast;
    ASSERT_TRUE(highContrast.Install(library->Module()));
    const Look on = look();
    highContrast.Remove();
    const Look after = look();

    EXPECT_EQ(on.outlined, "1 | 2 | 2 ");
    EXPECT_GT(on.text, before.text + 50) << "three captions";
    EXPECT_EQ(before.outlined, "| | ");
    EXPECT_EQ(after.outlined, "| | ");
    EXPECT_EQ(after.first->Differing(*before.first), 0);
    EXPECT_TRUE(recorder.calls.empty());
}

// The plug-in's view of the monitors: the owner's monitor and the one under the cursor
// each have a work area of their own.
class FakeMonitors {
public:
    bool Install(HMODULE module) {
        return fromWindow.Install(module, "user32.dll", "MonitorFromWindow",
                                  reinterpret_cast<void*>(FromWindow)) &&
               fromPoint.Install(module, "user32.dll", "MonitorFromPoint",
                                 reinterpret_cast<void*>(FromPoint)) &&
               info.Install(module, "user32.dll", "GetMonitorInfoA", reinterpret_cast<void*>(Info));
    }
    static inline RECT ownerArea = {};
    static inline RECT cursorArea = {};

private:
    static HMONITOR Owner() { return reinterpret_cast<HMONITOR>(0x1001); }
    static HMONITOR WINAPI FromWindow(HWND, DWORD) { return Owner(); }
    static HMONITOR WINAPI FromPoint(POINT, DWORD) { return reinterpret_cast<HMONITOR>(0x2002); }
    static BOOL WINAPI Info(HMONITOR monitor, MONITORINFO* found) {
        found->rcWork = monitor == Owner() ? ownerArea : cursorArea;
        found->rcMonitor = found->rcWork;
        found->dwFlags = 0;
        return TRUE;
    }
    CImportPatch fromWindow;
    CImportPatch fromPoint;
    CImportPatch info;
};

bool Inside(const RECT& inner, const RECT& outer) {
    RECT both;
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

TEST_F(ExitWindowTest, TheWindowIsCentredInTheWorkAreaOfTheOwnersMonitorOrTheCursors) {
    FakeMonitors monitors;
    ASSERT_TRUE(monitors.Install(library->Module()));
    FakeMonitors::ownerArea = {100, 60, 700, 560};
    FakeMonitors::cursorArea = {420, 300, 1000, 740};
    HWND owner = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    struct Case {
        HWND owner;
        RECT area;
        const char* what;
    };
    const RECT small = {0, 0, 360, 240};
    for (const Case& c : {Case{owner, FakeMonitors::ownerArea, "the owner's monitor"},
                          Case{nullptr, FakeMonitors::cursorArea, "the cursor's monitor"},
                          Case{owner, small, "a work area too small for the window"}}) {
        FakeMonitors::ownerArea = c.owner == owner ? c.area : FakeMonitors::ownerArea;
        site.parentAnswer = c.owner;
        Use(191);
        RECT window = {};
        bool buttonsInside = true;
        Press([&](HWND exitWindow) {
            GetWindowRect(exitWindow, &window);
            for (HWND button : ImageButtons(exitWindow)) {
                RECT rect;
                GetWindowRect(button, &rect);
                buttonsInside = buttonsInside && Inside(rect, window);
            }
            PressKey(exitWindow, VK_ESCAPE);
        });
        const LONG width = window.right - window.left;
        const LONG height = window.bottom - window.top;
        EXPECT_TRUE(Inside(window, c.area)) << c.what;
        EXPECT_TRUE(buttonsInside) << c.what;
        EXPECT_LE(std::abs((window.left + window.right) - (c.area.left + c.area.right)), 1)
            << c.what;
        EXPECT_LE(std::abs((window.top + window.bottom) - (c.area.top + c.area.bottom)), 1)
            << c.what;
        EXPECT_GT(width, 100) << c.what;
        EXPECT_GT(height, 60) << c.what;
    }
    DestroyWindow(owner);
}

// Cases named "AtScreenDpi" run at the usual resolution and again in children started
// at higher ones: the window is laid out, hit, and shows its tips, at the resolution.
TEST_F(ExitWindowTest, AtScreenDpiButtonsAreHitWhereTheyAreDrawnAndTipsShowBesideThem) {
    const int dpi = ScreenDpi();
    const auto scaled = [dpi](LONG length) { return std::lround(length * dpi / 96.0); };
    Use(191);
    RECT window = {}, cancel = {}, turnOff = {}, tip = {};
    HWND hit = nullptr;
    LONG hitId = 0;
    bool tipShown = false;
    Press([&](HWND exitWindow) {
        GetWindowRect(exitWindow, &window);
        GetWindowRect(ButtonWithId(exitWindow, 64), &cancel);
        HWND button = ButtonWithId(exitWindow, 2);
        GetWindowRect(button, &turnOff);
        POINT point = {(turnOff.left + turnOff.right) / 2, turnOff.bottom - 2};
        ScreenToClient(exitWindow, &point);
        hit = ChildWindowFromPointEx(exitWindow, point, CWP_SKIPINVISIBLE);
        hitId = hit ? GetWindowLongA(hit, GWL_ID) : 0;
        tipShown = HoverUntilTheTipShows(button);
        if (tipShown && !TooltipWindows().empty())
            GetWindowRect(TooltipWindows().front(), &tip);
        ClickOn(hit);
    });
    EXPECT_EQ(window.bottom - window.top, scaled(198)) << dpi;
    EXPECT_EQ(cancel.right - cancel.left, scaled(73)) << dpi;
    EXPECT_EQ(cancel.bottom - cancel.top, scaled(21)) << dpi;
    EXPECT_EQ(window.right - cancel.right, scaled(10)) << dpi;
    EXPECT_EQ(turnOff.right - turnOff.left, scaled(32)) << dpi;
    EXPECT_EQ(hitId, 2) << dpi;
    EXPECT_EQ(Performed(), "ExitWindowsEx(9,2147483648)") << dpi;
    ASSERT_TRUE(tipShown) << dpi;
    const LONG centre = (turnOff.left + turnOff.right) / 2;
    EXPECT_TRUE(tip.left <= centre && centre <= tip.right) << dpi;
    EXPECT_LE(std::abs(tip.bottom - turnOff.top), turnOff.bottom - turnOff.top) << dpi;
}

// The turn-off tip wraps into the same lines at every resolution: the program measures it
// at 96 DPI and hands the size to children started at higher ones, which measure theirs.
TEST_F(ExitWindowTest, TheTipWrapsAsAt96DpiWhenStartedAtHigherResolutions) {
    constexpr char AT_96[] = "QUIESCOR_TIP_AT_96";
    Use(191);
    SIZE tip = {};
    Press([&](HWND window) {
        RECT rect = {};
        if (HoverUntilTheTipShows(ButtonWithId(window, 2)))
            GetWindowRect(TooltipWindows().front(), &rect);
        tip = {rect.right - rect.left, rect.bottom - rect.top};
        PressKey(window, VK_ESCAPE);
    });
    ASSERT_GT(tip.cx, 0);
    char given[64] = {};
    if (GetEnvironmentVariableA(AT_96, given, sizeof given) == 0) {
        ASSERT_EQ(ScreenDpi(), 96);
        const std::string measured = std::to_string(tip.cx) + " " + std::to_string(tip.cy);
        SetEnvironmentVariableA(AT_96, measured.c_str());
        for (DWORD dpi : {144u, 192u})
            EXPECT_EQ(RunThisProgramAt(dpi, "*TheTipWrapsAsAt96Dpi*"), 0) << "at " << dpi << " DPI";
        SetEnvironmentVariableA(AT_96, nullptr);
        return;
    }
    SIZE at96 = {};
    ASSERT_EQ(std::sscanf(given, "%ld %ld", &at96.cx, &at96.cy), 2);
    const double scale = ScreenDpi() / 96.0;
    // The text may use the room the resolution gives it; the tip grows no taller than
    // the resolution does (a line more would).
    EXPECT_GE(tip.cx, at96.cx * scale * 0.85) << ScreenDpi();
    EXPECT_LE(tip.cy, at96.cy * scale * 1.1) << ScreenDpi();
}

TEST(HighResolutions, ExitWindowCasesHoldAt144And192Dpi) {
    for (DWORD dpi : {144u, 192u})
        EXPECT_EQ(RunThisProgramAt(dpi, "*AtScreenDpi*"), 0) << "at " << dpi << " DPI";
}

// Counts the pictures a module reads: each file it opens and each PNG resource it finds.
class PictureReads {
public:
    bool Install(HMODULE module) {
        count = 0;
        const bool opened =
            open.Install(module, "msvcrt.dll", "fopen", reinterpret_cast<void*>(CountedOpen));
        realOpen = reinterpret_cast<OpenFn>(open.Original());
        const bool found = find.Install(module, "kernel32.dll", "FindResourceA",
                                        reinterpret_cast<void*>(CountedFind));
        realFind = reinterpret_cast<FindFn>(find.Original());
        return opened && found;
    }
    // The reads since the last call.
    int Take() { return std::exchange(count, 0); }

private:
    using OpenFn = FILE*(__cdecl*)(const char*, const char*);
    using FindFn = HRSRC(WINAPI*)(HMODULE, LPCSTR, LPCSTR);
    static FILE* __cdecl CountedOpen(const char* path, const char* mode) {
        ++count;
        return realOpen(path, mode);
    }
    static HRSRC WINAPI CountedFind(HMODULE module, LPCSTR name, LPCSTR type) {
        if (!IS_INTRESOURCE(type) && lstrcmpiA(type, "PNG") == 0)
            ++count;
        return realFind(module, name, type);
    }

    static inline int count = 0;
    static inline OpenFn realOpen = nullptr;
    static inline FindFn realFind = nullptr;
    CImportPatch open;
    CImportPatch find;
};

std::string FileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

FILETIME LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetLastWriteTime(const std::string& path, const FILETIME& time) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

// A press whose tooltip window is made in the language module.
void HoverTheLanguagesTip(IHostPlugin* plugin) {
    CDialogDriver driver([](HWND window) {
        HoverFirstButton(window);
        PressKey(window, VK_ESCAPE);
    });
    plugin->Execute();
}

// A copy of the plug-in beside a skin folder of its own, a copy of Glass, pressed as a
// host presses it: the decoded pictures and the window's picture are kept between presses
// and made again when what they show changes.
TEST(ExitWindowPictures, ASecondPressReadsNoPictureUntilWhatItShowsChanges) {
    ScratchFolder scratch;
    const std::string dll = scratch.CopyPlugin("quiescor.dll");
    const std::string built = BuiltPluginPath();
    const std::string glass = built.substr(0, built.find_last_of('\\')) + "\\skins\\Glass\\";
    for (const char* file : {"quiescorskin.ini", "background.png", "cancel.png", "hibernate.png",
                             "restart.png", "switchuser.png", "turnoff.png"}) {
        ASSERT_FALSE(
            scratch.Write(std::string("skins\\Mine\\") + file, FileContents(glass + file)).empty())
            << file;
    }
    HMODULE language = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(language, nullptr);
    HMODULE unloaded = nullptr;
    {
        PluginLibrary library(dll);
        ASSERT_TRUE(library.IsLoaded());
        unloaded = library.Module();
        CPowerRecorder recorder;
        ASSERT_TRUE(recorder.Install(library.Module()));
        PictureReads reads;
        ASSERT_TRUE(reads.Install(library.Module()));
        IHostPlugin* plugin = library.CreatePlugin();
        ASSERT_NE(plugin, nullptr);
        auto use = [&](DWORD flags, const char* skinName) {
            SettingsRecord record;
            record.flags = flags;
            record.skinName = skinName;
            StreamPtr stream = StreamWith(record.Bytes());
            plugin->Load(stream.Get());
        };
        SIZE size = {};
        int ink = -1;
        auto press = [&] {
            CDialogDriver driver([&](HWND window) {
                RECT rect;
                GetWindowRect(window, &rect);
                size = {rect.right - rect.left, rect.bottom - rect.top};
                ink = CaptionInk(window);
                PressKey(window, VK_ESCAPE);
            });
            plugin->Execute();
            return reads.Take();
        };

        use(191, "Mine\\quiescorskin.ini");
        EXPECT_GT(press(), 0);
        EXPECT_EQ(press(), 0) << "the same skin again";
        {
            CDialogDriver driver([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
            plugin->Configure(1);
        }
        EXPECT_EQ(reads.Take(), 0) << "the settings preview the same skin";
        ASSERT_FALSE(
            scratch.Write("skins\\Mine\\restart.png", FileContents(glass + "turnoff.png")).empty());
        EXPECT_GT(press(), 0) << "a picture of the folder was replaced";
        // Replaced again by one of the same size, its time put back as a backup puts it.
        const Bytes first = SolidPng(40, 120, RGB(10, 20, 30));
        const Bytes second = SolidPng(40, 120, RGB(30, 20, 10));
        ASSERT_EQ(first.size(), second.size());
        const std::string restart =
            scratch.Write("skins\\Mine\\restart.png", std::string(first.begin(), first.end()));
        EXPECT_GT(press(), 0);
        const FILETIME written = LastWriteTime(restart);
        scratch.Write("skins\\Mine\\restart.png", std::string(second.begin(), second.end()));
        SetLastWriteTime(restart, written);
        EXPECT_GT(press(), 0) << "a picture of the same size and time";

        use(191, "");
        EXPECT_GT(press(), 0);
        const LONG wide = size.cx;
        EXPECT_EQ(press(), 0);
        use(1 + 2, "");
        EXPECT_EQ(press(), 0) << "other actions lay the same pictures out anew";
        EXPECT_LT(size.cx, wide);
        const int captioned = ink;
        plugin->SetResourceModule(0, language);
        press();
        EXPECT_LT(ink, captioned) << "the language module has no captions";
        HoverTheLanguagesTip(plugin);
        plugin->Release();
    }
    // Classes whose procedures were in the unloaded image are gone with it.
    WNDCLASSA found;
    EXPECT_FALSE(GetClassInfoA(unloaded, "ZRK_PNGBUTTON", &found));
    EXPECT_FALSE(GetClassInfoA(unloaded, "ZRKHOTKEY_CLASS", &found));
    EXPECT_FALSE(GetClassInfoA(language, "RichTooltip", &found));
    FreeLibrary(language);
}

// Memory or the GDI quota may run out during one press: that press still shows the
// whole window, and the next one composes its picture again.
TEST_F(ExitWindowTest, AWindowWhosePictureCannotBeComposedIsDrawnAndNotKept) {
    // No button under the pointer: each picture shows every button in its rest state.
    SetCursorPos(0, 0);
    for (const char* skin : {"", "Glass\\quiescorskin.ini"}) {
        Use(191, skin);
        auto shown = [&] {
            std::unique_ptr<CCanvas> pixels;
            Press([&](HWND window) {
                pixels = ClientPixels(window);
                PressKey(window, VK_ESCAPE);
            });
            return pixels;
        };
        std::unique_ptr<CCanvas> drawn;
        {
            // The first DIB section of the press, the one its picture is composed on.
            CFaultInjector failing;
            ASSERT_TRUE(failing.Install(library->Module()));
            ASSERT_TRUE(failing.Start("CreateDIBSection", 1));
            drawn = shown();
            EXPECT_TRUE(failing.Fired()) << skin;
        }
        const std::unique_ptr<CCanvas> composed = shown();
        ASSERT_TRUE(drawn && composed);
        EXPECT_EQ(drawn->Differing(*composed), 0) << skin;
        EXPECT_LT(composed->Count(RGB(0, 0, 0)), composed->Width() * composed->Height() / 4)
            << skin;
    }
}

// A host that lets one language go and loads another gets the same handle back when
// both were built for one address: the window shows the new module's captions.
TEST_F(ExitWindowTest, ALanguageLoadedWhereAnotherWasShowsItsOwnCaptions) {
    Use(191);
    auto captionInk = [&](HMODULE language) {
        plugin->SetResourceModule(0, language);
        int ink = -1;
        Press([&](HWND window) {
            ink = CaptionInk(window);
            PressKey(window, VK_ESCAPE);
        });
        return ink;
    };
    HMODULE german = LoadLibraryA("lang_de_shared_base.dll");
    ASSERT_NE(german, nullptr);
    const int germanInk = captionInk(german);
    FreeLibrary(german);
    HMODULE captionless = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_EQ(captionless, german) << "built for the same address";
    EXPECT_LT(captionInk(captionless), germanInk / 2) << "that module has no captions";
    plugin->SetResourceModule(0, nullptr);
    FreeLibrary(captionless);
}

// The largest bitmap the plug-in asks for while it lives.
struct LargestBitmap {
    static HBITMAP WINAPI Create(HDC dc, int width, int height) {
        largest = std::max<LONGLONG>(largest, static_cast<LONGLONG>(width) * height);
        return real(dc, width, height);
    }
    static inline LONGLONG largest = 0;
    static inline decltype(&CreateCompatibleBitmap) real = nullptr;
};

SIZE_T MemoryInUse() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// A skin of 4000 x 3000 pixels is kept as the window shows it, not whole, and the settings
// preview never draws more than a screen to show a picture of a few hundred pixels.
TEST(ExitWindowPictures, AHugeSkinIsKeptAndPreviewedAtTheSizeItIsShown) {
    ScratchFolder scratch;
    const std::string dll = scratch.CopyPlugin("quiescor.dll");
    const Bytes background = SolidPng(4000, 3000, RGB(20, 60, 120));
    const Bytes cancel = SolidPng(400, 1200, RGB(200, 0, 0));
    scratch.Write("skins\\Huge\\background.png", std::string(background.begin(), background.end()));
    scratch.Write("skins\\Huge\\cancel.png", std::string(cancel.begin(), cancel.end()));
    scratch.Write("skins\\Huge\\quiescorskin.ini",
                  "[general]\r\nName=Huge\r\n[images]\r\nBackGround=background.png\r\n"
                  "Cancel=cancel.png\r\n[points]\r\nCancel=3000,2000\r\n");
    PluginLibrary library(dll);
    ASSERT_TRUE(library.IsLoaded());
    CPowerRecorder recorder;
    ASSERT_TRUE(recorder.Install(library.Module()));
    IHostPlugin* plugin = library.CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    SettingsRecord record;
    record.flags = 191;
    record.skinName = "Huge\\quiescorskin.ini";
    StreamPtr stream = StreamWith(record.Bytes());
    plugin->Load(stream.Get());

    constexpr SIZE_T MB = 1024 * 1024;
    const SIZE_T before = MemoryInUse();
    {
        CDialogDriver driver([](HWND window) { PressKey(window, VK_ESCAPE); });
        plugin->Execute();
        EXPECT_EQ(driver.DialogsSeen(), 1);
    }
    // The whole background alone takes 46 MB decoded; the window's pictures about 10.
    EXPECT_LT((MemoryInUse() - before) / MB, 32u) << "kept after a press";
    {
        CImportPatch recording;
        ASSERT_TRUE(recording.Install(library.Module(), "gdi32.dll", "CreateCompatibleBitmap",
                                      reinterpret_cast<void*>(LargestBitmap::Create)));
        LargestBitmap::real =
            reinterpret_cast<decltype(&CreateCompatibleBitmap)>(recording.Original());
        CDialogDriver driver([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
        plugin->Configure(1);
        EXPECT_EQ(driver.DialogsSeen(), 1);
    }
    EXPECT_LE(LargestBitmap::largest, 1024 * 768) << "the preview's picture";
    plugin->Release();
}

// Like every other tip's title, turn off's names its action and its key.
TEST_F(ExitWindowTest, TheTurnOffTipIsTitledWithItsActionAndKey) {
    char text[500] = {};
    LoadStringA(library->Module(), 1, text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 23), "<b>Turn Off (T)</b><br>");
}

} // namespace
