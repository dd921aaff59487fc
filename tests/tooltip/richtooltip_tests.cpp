// The tooltip window driven as the image buttons drive it: real windows, relayed
// messages, real timers and the real cursor on the 1024 x 768 test screen.
#include "tests/host/canvas.h"
#include "tooltip/richtooltip.h"

#include "host/messagepump.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const char PARENT_CLASS[] = "TipTestParent";
const char TOOL_CLASS[] = "TipTestTool";
constexpr int DELAY = 40;
constexpr int SETTLE = 200;

// What the parent window heard from the tooltip.
struct ParentLog {
    UINT lastMouseMessage = 0;
    POINT lastMousePoint = {};
    int notifications = 0;
    POINT notifiedCursor = {};
    std::wstring notifiedText;
    std::function<void(ToolInfo&)> onNotify;
};

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<ParentLog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (log && message == WM_NOTIFY) {
        auto* notify = reinterpret_cast<TipNotify*>(lParam);
        if (notify->hdr.code == TIPN_BEFORESHOW) {
            ++log->notifications;
            log->notifiedCursor = *notify->cursor;
            log->notifiedText = notify->tool->text;
            if (log->onNotify)
                log->onNotify(*notify->tool);
        }
        return 0;
    }
    if (log && (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_RBUTTONUP)) {
        log->lastMouseMessage = message;
        log->lastMousePoint = {static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClasses() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = PARENT_CLASS;
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = TOOL_CLASS;
    RegisterClassA(&windowClass);
}

// A full-screen parent with three tools: one in the middle, one at the right edge and
// one at the top edge, set up as the exit window sets up its tooltip.
class TooltipTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        parent = CreateWindowExA(0, PARENT_CLASS, "", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
        middle = Tool(400, 400);
        rightEdge = Tool(960, 400);
        topEdge = Tool(400, 0);
        tip.Create(parent, TRUE);
        tip.SetNotify(FALSE);
        tip.SetBehaviour(KeepWhileInside, -1);
        tip.SetDirection(AboveRight, -1);
        tip.SetDelayTime(3, DELAY);
        tip.SetDelayTime(2, 10000);
        tip.Renderer().maxTextWidth = 300;
        tip.SetStyles(TipAnchor | TipRounded | ShowInactive, -1);
        for (HWND tool : {middle, rightEdge, topEdge})
            tip.AddTool(tool, L"<b>Restart computer (R)</b><br><hr=100%><br>Ends your session.",
                        nullptr, nullptr, 0);
        Pump();
    }

    void TearDown() override { DestroyWindow(parent); }

    HWND Tool(int x, int y) {
        return CreateWindowExA(0, TOOL_CLASS, "", WS_CHILD | WS_VISIBLE, x, y, 60, 40, parent,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    // Puts the cursor on a point of the tool and relays the move the tool receives.
    POINT Move(HWND tool, int x, int y) {
        POINT screen = {x, y};
        ClientToScreen(tool, &screen);
        SetCursorPos(screen.x, screen.y);
        Relay(tool, WM_MOUSEMOVE, MAKELPARAM(x, y), screen);
        return screen;
    }

    void Relay(HWND tool, UINT message, LPARAM lParam = 0, POINT screen = {}) {
        const MSG msg = {tool, message, 0, lParam, 0, screen};
        tip.RelayEvent(&msg);
    }

    // Moves over the parent's background, off every tool.
    void Leave() {
        POINT outside = {200, 200};
        ClientToScreen(parent, &outside);
        SetCursorPos(outside.x, outside.y);
        Relay(middle, WM_MOUSEMOVE, 0, outside);
    }

    POINT Rest(HWND tool, int x = 20, int y = 20) {
        const POINT at = Move(tool, x, y);
        PumpFor(SETTLE);
        return at;
    }

    bool Shown() const { return IsWindowVisible(tip.Window()) != FALSE; }

    RECT TipRect() const {
        RECT rect = {};
        GetWindowRect(tip.Window(), &rect);
        return rect;
    }

    ParentLog log;
    HWND parent = nullptr;
    HWND middle = nullptr;
    HWND rightEdge = nullptr;
    HWND topEdge = nullptr;
    CRichTooltip tip{GetModuleHandleA(nullptr)};
};

TEST_F(TooltipTest, WindowClassAndPropertyOthersRelyOn) {
    WNDCLASSA windowClass = {};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "RichTooltip", &windowClass));
    EXPECT_TRUE(windowClass.style & CS_SAVEBITS);
    EXPECT_EQ(windowClass.hbrBackground, nullptr);
    char name[32] = {};
    GetClassNameA(tip.Window(), name, sizeof name);
    EXPECT_STREQ(name, "RichTooltip");
    EXPECT_EQ(GetPropA(tip.Window(), "RichTooltip_this"), &tip);
    const LONG exStyle = GetWindowLongA(tip.Window(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(Shown());
    CRichTooltip second(GetModuleHandleA(nullptr));
    EXPECT_TRUE(second.Create(parent, FALSE));
}

// A class left by an earlier load of the plug-in would name a procedure that is gone.
TEST(TooltipClass, AForeignClassOfTheSameNameIsReplaced) {
    const HMODULE module = GetModuleHandleA(nullptr);
    UnregisterClassA("RichTooltip", module);
    WNDCLASSA foreign = {};
    foreign.lpfnWndProc = DefWindowProcA;
    foreign.hInstance = module;
    foreign.lpszClassName = "RichTooltip";
    ASSERT_TRUE(RegisterClassA(&foreign));
    CRichTooltip tip(module);
    ASSERT_TRUE(tip.Create(nullptr, TRUE));
    EXPECT_EQ(GetPropA(tip.Window(), "RichTooltip_this"), &tip);
}

TEST_F(TooltipTest, RestingShowsTheTipAboveRightWithTheAnchorAtTheCursor) {
    const POINT cursor = Move(middle, 20, 20);
    PumpFor(DELAY / 4);
    EXPECT_FALSE(Shown()) << "before the delay";
    PumpFor(SETTLE);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    EXPECT_EQ(rect.left, cursor.x - 16);
    EXPECT_EQ(rect.bottom, cursor.y + 2);
    EXPECT_EQ(GetActiveWindow(), parent) << "the tip must not take activation";

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(tip.Window(), region), ERROR);
    const int tipY = cursor.y - rect.top;
    EXPECT_TRUE(PtInRegion(region, 17, tipY - 4)) << "anchor near its tip";
    EXPECT_TRUE(PtInRegion(region, 27, tipY - 15)) << "anchor at its base";
    EXPECT_FALSE(PtInRegion(region, 30, tipY - 8)) << "beside the anchor";
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << "rounded corner";
    DeleteObject(region);

    // The body shows the background colour once painted.
    UpdateWindow(tip.Window());
    WindowDC dc(tip.Window());
    EXPECT_EQ(GetPixel(dc.Get(), 4, 30), tip.Renderer().palette[CMarkupRenderer::bkBeginColor]);
}

TEST_F(TooltipTest, TheTipFlipsAtTheScreenEdges) {
    POINT cursor = Rest(rightEdge, 40, 20);
    ASSERT_TRUE(Shown());
    RECT rect = TipRect();
    EXPECT_EQ(rect.right - 2, cursor.x + 16) << "left of the cursor";
    EXPECT_EQ(rect.bottom, cursor.y + 2);

    cursor = Rest(topEdge, 20, 10);
    ASSERT_TRUE(Shown());
    rect = TipRect();
    EXPECT_EQ(rect.top, cursor.y) << "below the cursor";
    EXPECT_EQ(rect.left, cursor.x - 16);
}

TEST_F(TooltipTest, OnlyTheExactLastPositionShowsTheTip) {
    tip.SetDelayTime(3, 60000);
    POINT cursor = Move(middle, 20, 20);
    SetCursorPos(cursor.x + 1, cursor.y);
    SendMessageA(tip.Window(), WM_TIMER, 256, 0);
    EXPECT_FALSE(Shown());
    Move(middle, 21, 20);
    SendMessageA(tip.Window(), WM_TIMER, 256, 0);
    EXPECT_TRUE(Shown());

    // A relayed move restarts the wait.
    tip.SetDelayTime(3, 300);
    Move(middle, 5, 5);
    PumpFor(200);
    Move(middle, 6, 5);
    PumpFor(200);
    EXPECT_FALSE(Shown());
    PumpFor(300);
    EXPECT_TRUE(Shown());
}

TEST_F(TooltipTest, KeepWhileInsideFollowsTheMouseBetweenTools) {
    Rest(middle);
    ASSERT_TRUE(Shown());
    Move(middle, 30, 25);
    PumpFor(SETTLE);
    EXPECT_TRUE(Shown()) << "moving inside the tool";
    const RECT first = TipRect();

    Move(rightEdge, 10, 10);
    EXPECT_FALSE(Shown()) << "another tool hides it at once";
    PumpFor(SETTLE);
    ASSERT_TRUE(Shown());
    EXPECT_NE(TipRect().left, first.left);

    Relay(rightEdge, WM_MOUSELEAVE);
    EXPECT_FALSE(Shown());
}

TEST_F(TooltipTest, AClickDismissesUntilTheMouseLeavesTheTool) {
    Rest(middle);
    ASSERT_TRUE(Shown());
    Relay(middle, WM_LBUTTONDOWN);
    EXPECT_FALSE(Shown());
    Rest(middle, 25, 25);
    EXPECT_FALSE(Shown());

    Leave();
    Rest(middle, 25, 25);
    EXPECT_TRUE(Shown());

    Relay(middle, WM_KEYDOWN);
    EXPECT_FALSE(Shown());
}

TEST_F(TooltipTest, ADismissalBeforeTheFirstPaintStillCounts) {
    Move(middle, 20, 20);
    SendMessageA(tip.Window(), WM_TIMER, 256, 0);
    ASSERT_TRUE(Shown());
    Relay(middle, WM_KEYDOWN);
    Rest(middle, 22, 20);
    EXPECT_FALSE(Shown());
}

TEST_F(TooltipTest, AutopopHidesTheTipUnlessTold) {
    tip.SetDelayTime(2, 300);
    Move(middle, 20, 20);
    PumpFor(150);
    ASSERT_TRUE(Shown());
    PumpFor(400);
    EXPECT_FALSE(Shown());

    tip.SetBehaviour(KeepWhileInside | NoAutopopOverTip, -1);
    Leave();
    Move(middle, 30, 20);
    PumpFor(150);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    SetCursorPos((rect.left + rect.right) / 2, rect.top + 20);
    PumpFor(400);
    EXPECT_TRUE(Shown()) << "the cursor is over the tip";
    SetCursorPos(5, 700);
    PumpFor(400);
    EXPECT_FALSE(Shown());

    tip.SetBehaviour(KeepWhileInside | NoAutopop, -1);
    Leave();
    Rest(middle, 35, 20);
    PumpFor(SETTLE);
    EXPECT_TRUE(Shown());
}

TEST_F(TooltipTest, ShadowEnlargesTheTipAndShiftsLeftwardTips) {
    Rest(middle);
    const RECT plain = TipRect();
    tip.ModifyStyles(TipShadow, 0, -1);
    tip.SetDirection(AboveLeft, -1);
    Rest(rightEdge);
    const POINT cursor = Rest(middle, 30, 20);
    ASSERT_TRUE(Shown());
    const RECT shadowed = TipRect();
    const int w = shadowed.right - shadowed.left - 2;
    const int h = shadowed.bottom - shadowed.top - 2;
    EXPECT_EQ(w, plain.right - plain.left - 2 + 4);
    EXPECT_EQ(h, plain.bottom - plain.top - 2 + 4);
    EXPECT_EQ(shadowed.left, cursor.x + 16 - w + 4);
    EXPECT_EQ(shadowed.top, cursor.y - h + 4);

    // Below the cursor the window starts at the cursor, so the anchor's tip touches it.
    tip.SetDirection(BelowLeft, -1);
    Rest(rightEdge);
    const POINT below = Rest(middle, 20, 30);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    EXPECT_EQ(rect.top, below.y);
    EXPECT_EQ(rect.right - 2, below.x + 16 + 4);
    Region region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(tip.Window(), region.Get()), ERROR);
    EXPECT_TRUE(PtInRegion(region.Get(), below.x - rect.left - 1, 2)) << "the anchor's tip";
}

TEST_F(TooltipTest, ATipWiderThanTheScreenStaysOnItWithItsAnchorAtTheCursor) {
    tip.AddTool(middle, L"<hr=2000>", nullptr, nullptr, 0);
    const POINT cursor = Rest(middle);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    EXPECT_GE(rect.left, 0);
    EXPECT_LE(rect.right, 1024);
    EXPECT_EQ(rect.bottom, cursor.y + 2);
    Region region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(tip.Window(), region.Get()), ERROR);
    const POINT inTip = {cursor.x - rect.left, cursor.y - rect.top};
    EXPECT_TRUE(PtInRegion(region.Get(), inTip.x - 1, inTip.y - 3)) << "the anchor's tip";
    EXPECT_TRUE(PtInRegion(region.Get(), inTip.x - 6, inTip.y - 14)) << "the anchor's base";
}

TEST_F(TooltipTest, ToolsCanSetTheirOwnStyleAndDirection) {
    tip.SetStyles(TipAnchor, 1);
    tip.SetDirection(BelowRight, 1);
    tip.SetDirection(7, 1);
    tip.SetDirection(4, -1);
    tip.SetDelayTime(0, 60000);
    tip.SetDelayTime(1, 60000);
    POINT cursor = Rest(rightEdge, 10, 10);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(TipRect().top, cursor.y) << "the tool's own direction";
    cursor = Rest(middle);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(TipRect().bottom, cursor.y + 2) << "the global direction";
}

TEST_F(TooltipTest, IconOnlyTipsAndEmptyTips) {
    IconHandle icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0)));
    tip.AddTool(middle, L"", icon.Get(), nullptr, 0);
    Rest(middle);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    EXPECT_EQ(rect.right - rect.left, 16 + 2 * 12 + 2);
    EXPECT_EQ(rect.bottom - rect.top, 16 + 16 + 2 * 12 + 2);

    tip.AddTool(middle, L"", nullptr, nullptr, 0);
    Rest(rightEdge);
    Rest(middle);
    EXPECT_FALSE(Shown());
}

TEST_F(TooltipTest, DisabledToolsNeedTrackDisabledHiddenOnesNeverShow) {
    ShowWindow(rightEdge, SW_HIDE);
    Rest(rightEdge);
    EXPECT_FALSE(Shown());
    EnableWindow(middle, FALSE);
    Rest(middle);
    EXPECT_FALSE(Shown());
    tip.ModifyStyles(TrackDisabled, 0, -1);
    Rest(middle, 25, 20);
    EXPECT_TRUE(Shown());
}

TEST_F(TooltipTest, ToolsWithEqualRectanglesReplaceEachOther) {
    tip.AddTool(middle, L"x", nullptr, nullptr, 0);
    Rest(middle);
    const LONG narrow = TipRect().right - TipRect().left;
    const RECT left = {0, 0, 30, 40};
    tip.AddTool(middle, L"a much longer text than x", nullptr, &left, 0);
    Rest(rightEdge);
    Rest(middle, 10, 10);
    EXPECT_EQ(TipRect().right - TipRect().left, narrow) << "the first record wins";

    HWND other = Tool(100, 100);
    tip.AddTool(other, L"x", nullptr, nullptr, 0);
    tip.AddTool(other, L"", nullptr, &left, 0);
    tip.AddTool(other, L"a much longer text than x", nullptr, &left, 0);
    Rest(other, 40, 10);
    EXPECT_EQ(TipRect().right - TipRect().left, narrow);
    Rest(rightEdge);
    Rest(other, 10, 10);
    EXPECT_EQ(TipRect().right - TipRect().left, narrow);
}

TEST_F(TooltipTest, MouseMessagesOnTheTipGoToTheParent) {
    Rest(middle);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    SendMessageA(tip.Window(), WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(log.lastMouseMessage, static_cast<UINT>(WM_RBUTTONUP));
    EXPECT_EQ(log.lastMousePoint.x, rect.left + 5);
    EXPECT_EQ(log.lastMousePoint.y, rect.top + 6);
    EXPECT_TRUE(Shown());
    SendMessageA(tip.Window(), WM_LBUTTONDOWN, 0, MAKELPARAM(7, 8));
    EXPECT_EQ(log.lastMouseMessage, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_FALSE(Shown());
}

TEST_F(TooltipTest, TheNotifyWindowMayChangeTheTipBeforeItShows) {
    Rest(middle);
    const LONG original = TipRect().right - TipRect().left;
    Rest(rightEdge);
    EXPECT_EQ(log.notifications, 0);

    tip.SetNotify(TRUE);
    log.onNotify = [](ToolInfo& tool) { tool.text += L" And a second, much longer sentence."; };
    const POINT cursor = Rest(middle, 30, 30);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(log.notifications, 1);
    EXPECT_EQ(log.notifiedCursor.x, cursor.x);
    EXPECT_EQ(log.notifiedCursor.y, cursor.y);
    EXPECT_EQ(log.notifiedText.substr(0, 3), L"<b>");
    EXPECT_GT(TipRect().right - TipRect().left, original);

    log.onNotify = [](ToolInfo& tool) { tool.text.clear(); };
    Rest(rightEdge);
    EXPECT_FALSE(Shown());
}

TEST_F(TooltipTest, PlainMetricsMakeASmallBox) {
    CRichTooltip plain(GetModuleHandleA(nullptr));
    ASSERT_TRUE(plain.Create(parent, FALSE));
    plain.SetStyles(ShowInactive, -1);
    plain.SetDelayTime(3, DELAY);
    plain.AddTool(middle, L"x", nullptr, nullptr, 0);
    MemoryDC dc(nullptr);
    const SIZE text = plain.Renderer().RenderText(dc.Get(), {0, 0, 300, 0}, L"x", true);
    POINT screen = {20, 20};
    ClientToScreen(middle, &screen);
    SetCursorPos(screen.x, screen.y);
    const MSG msg = {middle, WM_MOUSEMOVE, 0, 0, 0, screen};
    plain.RelayEvent(&msg);
    PumpFor(SETTLE);
    ASSERT_TRUE(IsWindowVisible(plain.Window()));
    RECT rect;
    GetWindowRect(plain.Window(), &rect);
    EXPECT_EQ(rect.right - rect.left, text.cx + 2 * 3 + 2);
    EXPECT_EQ(rect.bottom - rect.top, text.cy + 2 * 1 + 2);
}

} // namespace
