// The exit window as the user meets it: a press of the plug-in's button with two or
// more actions enabled, answered from inside the window's own message loop.
#include "tests/host/canvas.h"
#include "tests/host/dialogdriver.h"
#include "tests/host/pluginfixture.h"
#include "tests/host/settingsrecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<HWND> Buttons(HWND window) {
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpA(className, "ZRK_PNGBUTTON") == 0)
            buttons.push_back(child);
    }
    return buttons;
}

std::vector<LONG> ButtonIds(HWND window) {
    std::vector<LONG> ids;
    for (HWND button : Buttons(window))
        ids.push_back(GetWindowLongA(button, GWL_ID));
    return ids;
}

HWND ButtonWithId(HWND window, LONG id) {
    for (HWND button : Buttons(window)) {
        if (GetWindowLongA(button, GWL_ID) == id)
            return button;
    }
    return nullptr;
}

// The white pixels of the window's captions as painted now.
int CaptionInk(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    CCanvas canvas(client.right, client.bottom);
    WindowDC dc(window);
    BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
    return canvas.Count(RGB(255, 255, 255));
}

void PressKey(HWND window, WPARAM key) {
    HWND focus = GetFocus();
    HWND target = focus && IsChild(window, focus) ? focus : window;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void ClickOn(HWND button) {
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

class ExitWindowTest : public PluginPressTest {
protected:
    void Use(DWORD flags, const char* skinName = "") {
        SettingsRecord record;
        record.flags = flags;
        record.lastAction = 0;
        record.skinName = skinName;
        LoadBytes(record.Bytes());
    }
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
    EXPECT_EQ(Performed(), "ExitWindowsEx(0,0)");
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
    EXPECT_EQ(Performed(), "ExitWindowsEx(2,0)");
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
    EXPECT_EQ(Performed(), "ExitWindowsEx(0,0)") << "Enter still acts on the focused log off";
}

// Like every other tip's title, turn off's names its action and its key.
TEST_F(ExitWindowTest, TheTurnOffTipIsTitledWithItsActionAndKey) {
    char text[500] = {};
    LoadStringA(library->Module(), 1, text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 23), "<b>Turn Off (T)</b><br>");
}

} // namespace
