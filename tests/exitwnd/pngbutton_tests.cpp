// The image button in a window of the test's own, on a skin made for the test whose
// three states are plain red, green and blue bands.
#include "exitwnd/pngbutton.h"
#include "exitwnd/skin.h"
#include "host/messagepump.h"
#include "skintestsupport.h"
#include "tests/host/canvas.h"
#include "tooltip/richtooltip.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF NORMAL = RGB(200, 0, 0);
constexpr COLORREF PRESSED = RGB(0, 200, 0);
constexpr COLORREF HOT = RGB(0, 0, 200);

// Moves the pointer the way a mouse does, in one step, so that the system reports
// the moves and leaves itself.
void MoveMouse(POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (screen.x * 65536 + width / 2) / width;
    input.mi.dy = (screen.y * 65536 + height / 2) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

POINT CentreOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// What a window shows on screen, read back.
void CopyWindowPixels(HWND window, CCanvas& canvas) {
    UpdateWindow(window);
    WindowDC dc(window);
    BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), dc.Get(), 0, 0, SRCCOPY);
}

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
    // Outlives the buttons, which may relay to it until they are destroyed.
    CRichTooltip tooltip{GetModuleHandleA(nullptr)};
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
    Send(2, WM_MOUSELEAVE);
    EXPECT_EQ(State(2), CSkin::STATE_HOT);
    Send(2, WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    EXPECT_TRUE(log.commands.empty());
    EXPECT_EQ(State(2), CSkin::STATE_NORMAL);
}

TEST_F(PngButtonTest, DraggedOffAndBackClicksOnce) {
    Send(2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Send(2, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5));
    Send(2, WM_MOUSELEAVE);
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

TEST_F(PngButtonTest, TheFocusedButtonKeepsItsFocusCueWhenThePointerLeaves) {
    SetFocus(Window(1));
    Pump();
    MoveMouse(CentreOf(Window(1)));
    PumpFor(100);
    ASSERT_EQ(State(1), CSkin::STATE_HOT);
    MoveMouse({900, 700});
    PumpFor(400);
    EXPECT_EQ(State(1), CSkin::STATE_HOT);
    EXPECT_EQ(Shown(1), HOT);

    // A press abandoned by dragging off and releasing outside.
    Send(1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Send(1, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5));
    Send(1, WM_MOUSELEAVE);
    Send(1, WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    EXPECT_TRUE(log.commands.empty());
    EXPECT_EQ(State(1), CSkin::STATE_HOT);
    EXPECT_EQ(Shown(1), HOT);
    EXPECT_EQ(State(2), CSkin::STATE_NORMAL);
}

// One straight move from one button onto the next: the first reports its leave after
// the second's first move, and the second's tooltip must still come.
TEST_F(PngButtonTest, AQuickMoveToTheNextButtonShowsItsTooltip) {
    ASSERT_TRUE(tooltip.Create(parent, TRUE));
    tooltip.SetBehaviour(KeepWhileInside, -1);
    tooltip.SetDirection(AboveRight, -1);
    tooltip.SetDelayTime(3, 100);
    tooltip.SetStyles(TipAnchor | TipRounded | ShowInactive, -1);
    for (int i : {1, 2}) {
        buttons[i]->SetTooltip(&tooltip);
        tooltip.AddTool(Window(i), L"<b>Log off (L)</b><br>Ends your session.", nullptr, nullptr,
                        0);
    }
    MoveMouse(CentreOf(Window(1)));
    PumpFor(300);
    ASSERT_TRUE(IsWindowVisible(tooltip.Window()));

    int shown = 0;
    const int moves = 8;
    for (int k = 0; k < moves; ++k) {
        const POINT target = CentreOf(Window(k % 2 == 0 ? 2 : 1));
        MoveMouse(target);
        PumpFor(300);
        RECT tip = {};
        GetWindowRect(tooltip.Window(), &tip);
        shown += IsWindowVisible(tooltip.Window()) && tip.left == target.x - 16;
    }
    EXPECT_EQ(shown, moves);
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

// The built-in Cancel picture has transparent corners: in every state they show the
// skin beneath, exactly as the whole skin drawn in one piece does.
TEST(PngButtonPaint, TransparentPixelsShowTheSkinBeneathInEveryState) {
    CSkin skin;
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 10, 10, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    SIZE size = {};
    {
        WindowDC dc(parent);
        skin.Layout(dc.Get(), GetModuleHandleA(nullptr), 1 + 2, size);
    }
    SetWindowPos(parent, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    auto* cancel = new CPngButton();
    ASSERT_TRUE(cancel->Create(parent, &skin, 64));
    HWND button = cancel->Window();
    RECT rect;
    ASSERT_TRUE(skin.GetButtonRect(64, rect));
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;

    const auto expectStateAsDrawnWhole = [&](int state) {
        ASSERT_EQ(cancel->State(), state);
        CCanvas whole(size.cx, size.cy);
        skin.DrawBackground(whole.Dc(), {0, 0, size.cx, size.cy});
        skin.DrawButton(whole.Dc(), 64, state, rect.left, rect.top);
        CCanvas shown(w, h);
        CopyWindowPixels(button, shown);
        for (POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
            EXPECT_NE(whole.Pixel(rect.left + corner.x, rect.top + corner.y), RGB(0, 0, 0));
        int different = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                different += shown.Pixel(x, y) != whole.Pixel(rect.left + x, rect.top + y);
        }
        EXPECT_EQ(different, 0) << "state " << state;
    };
    Pump();
    expectStateAsDrawnWhole(CSkin::STATE_NORMAL);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    expectStateAsDrawnWhole(CSkin::STATE_PRESSED);
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));
    SetFocus(button);
    expectStateAsDrawnWhole(CSkin::STATE_HOT);
    DestroyWindow(parent);
    Pump();
}

} // namespace
