// The image button in a window of the test's own, on a skin made for the test whose
// three states are plain red, green and blue bands.
#include "exitwnd/pngbutton.h"
#include "exitwnd/skin.h"
#include "skintestsupport.h"
#include "tests/host/messagepump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF NORMAL = RGB(200, 0, 0);
constexpr COLORREF PRESSED = RGB(0, 200, 0);
constexpr COLORREF HOT = RGB(0, 0, 200);
constexpr UINT MOUSE_LEAVE = 0x2A3;

struct ParentLog {
    std::vector<WPARAM> commands;
    std::vector<LPARAM> commandSources;
    std::vector<WPARAM> keys;
};

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<ParentLog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (log && message == WM_COMMAND) {
        log->commands.push_back(wParam);
        log->commandSources.push_back(lParam);
        return 0;
    }
    if (log && message == WM_KEYDOWN) {
        log->keys.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PngButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nCancel=b.png\n"
                                             "SwitchUser=b.png\nLogOff=b.png\n"
                                             "[points]\nCancel=10,10\nSwitchUser=60,10\n"
                                             "LogOff=110,10\n");
        folder.Write("bg.png", SolidPng(200, 100, RGB(1, 2, 3)));
        folder.Write("b.png", BandedPng(40, 30, {NORMAL, PRESSED, HOT}));
        skin.Load(folder.SkinName().c_str());
        ASSERT_FALSE(skin.IsDefault());

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PngButtonTestParent";
        RegisterClassA(&windowClass);
        parent = CreateWindowExA(0, "PngButtonTestParent", "", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                                 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
        for (LONG action : {64L, 128L, 1L}) {
            auto* made = new CPngButton();
            ASSERT_TRUE(made->Create(parent, &skin, action));
            ASSERT_NE(made->Window(), nullptr);
            buttons.push_back(made);
        }
        SetForegroundWindow(parent);
        Pump();
    }
    void TearDown() override {
        DestroyWindow(parent);
        Pump();
    }

    HWND Window(int index) const { return buttons[index]->Window(); }
    int State(int index) const { return buttons[index]->State(); }
    void Send(int index, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        SendMessageA(Window(index), message, wParam, lParam);
        Pump();
    }
    // What the button shows on screen, in the middle of its surface.
    COLORREF Shown(int index) {
        UpdateWindow(Window(index));
        HDC dc = GetDC(Window(index));
        COLORREF colour = GetPixel(dc, 20, 5);
        ReleaseDC(Window(index), dc);
        return colour;
    }

    TestSkinFolder folder{"Buttons"};
    CSkin skin;
    HWND parent = nullptr;
    ParentLog log;
    std::vector<CPngButton*> buttons;
};

TEST_F(PngButtonTest, ClickReportsHundredPlusTheActionFromTheButton) {
    Send(0, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(State(0), CSkin::STATE_PRESSED);
    EXPECT_EQ(Shown(0), PRESSED);
    Send(0, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Send(1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Send(1, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(log.commands, (std::vector<WPARAM>{164, 228}));
    EXPECT_EQ(log.commandSources[0], reinterpret_cast<LPARAM>(Window(0)));
    EXPECT_EQ(State(0), CSkin::STATE_NORMAL);
    EXPECT_EQ(GetWindowLongA(Window(1), GWL_ID), 128);
    RECT rect;
    GetWindowRect(Window(2), &rect);
    EXPECT_EQ(rect.left, 100 + 110);
    EXPECT_EQ(rect.right - rect.left, 40);
    EXPECT_EQ(rect.bottom - rect.top, 30) << "one state high";
}

TEST_F(PngButtonTest, ReleasedAfterDraggingOffSendsNoClick) {
    Send(2, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(State(2), CSkin::STATE_HOT);
    Send(2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Send(2, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5));
    EXPECT_EQ(State(2), CSkin::STATE_PRESSED) << "dragged off, the picture stays until the leave";
    Send(2, MOUSE_LEAVE);
    EXPECT_EQ(State(2), CSkin::STATE_HOT);
    Send(2, WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    EXPECT_TRUE(log.commands.empty());
    EXPECT_EQ(State(2), CSkin::STATE_NORMAL);
}

TEST_F(PngButtonTest, DraggedOffAndBackClicksOnce) {
    Send(2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Send(2, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5));
    Send(2, MOUSE_LEAVE);
    Send(2, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
    EXPECT_EQ(State(2), CSkin::STATE_PRESSED);
    Send(2, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    EXPECT_EQ(log.commands, (std::vector<WPARAM>{101}));
}

TEST_F(PngButtonTest, KeyboardFocusSpaceEnterAndOtherKeys) {
    EXPECT_EQ(SendMessageA(Window(0), WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
    SetFocus(Window(1));
    Pump();
    EXPECT_EQ(State(1), CSkin::STATE_HOT);
    EXPECT_EQ(Shown(1), HOT);
    Send(1, WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(State(1), CSkin::STATE_PRESSED);
    EXPECT_TRUE(log.commands.empty());
    Send(1, WM_KEYUP, VK_SPACE);
    EXPECT_EQ(State(1), CSkin::STATE_HOT);
    Send(1, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(log.commands, (std::vector<WPARAM>{228, 228}));

    Send(1, WM_KEYDOWN, 'H');
    EXPECT_EQ(log.keys, (std::vector<WPARAM>{'H'})) << "letters go on to the window";

    SetFocus(Window(2));
    Pump();
    EXPECT_EQ(State(1), CSkin::STATE_NORMAL);
    EXPECT_EQ(Shown(1), NORMAL);
}

TEST_F(PngButtonTest, HoverEndsWhenThePointerLeavesButNotOntoTheTooltip) {
    RECT rect;
    GetWindowRect(Window(0), &rect);
    SetCursorPos(rect.left + 5, rect.top + 5);
    Send(0, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(State(0), CSkin::STATE_HOT);

    // A tooltip window under the pointer, still within the button, keeps the hover.
    WNDCLASSA tipClass = {};
    tipClass.lpfnWndProc = DefWindowProcA;
    tipClass.hInstance = GetModuleHandleA(nullptr);
    tipClass.lpszClassName = "RichTooltip";
    RegisterClassA(&tipClass);
    HWND tip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "RichTooltip", "", WS_POPUP,
                               rect.left + 20, rect.top, 30, 30, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ShowWindow(tip, SW_SHOWNOACTIVATE);
    SetCursorPos(rect.left + 25, rect.top + 5);
    PumpFor(200);
    EXPECT_EQ(State(0), CSkin::STATE_HOT);
    DestroyWindow(tip);
    UnregisterClassA("RichTooltip", GetModuleHandleA(nullptr));

    SetCursorPos(rect.left + 500, rect.top + 400);
    PumpFor(200);
    EXPECT_EQ(State(0), CSkin::STATE_NORMAL);
}

} // namespace
