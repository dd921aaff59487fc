#include "tooltip/richtooltip.h"

#include "base/guard.h"
#include "base/module.h"
#include "base/windowobject.h"
#include "tooltip/tippainter.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr WindowObject<CRichTooltip> TOOLTIP_OBJECT("RichTooltip_this");
constexpr UINT_PTR INITIAL_TIMER = 256;
constexpr UINT_PTR AUTOPOP_TIMER = 257;

static_assert(sizeof(NONCLIENTMETRICSW) == 500, "the structure as Windows XP knows it");

// The system's class drop shadow is asked for on NT 5.1 and 5.2 (XP, Server 2003) only.
bool HasDropShadows() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    return version.dwMajorVersion == 5 && version.dwMinorVersion >= 1;
}

SIZE ScreenSize() {
    WindowDC screen(nullptr);
    if (!screen)
        return {0, 0};
    return {GetDeviceCaps(screen.Get(), HORZRES), GetDeviceCaps(screen.Get(), VERTRES)};
}

bool SamePoint(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

} // namespace

CRichTooltip::CRichTooltip(HMODULE moduleInstance)
    : moduleInstance(moduleInstance), renderer(moduleInstance),
      windowRgn(CreateRectRgn(0, 0, 0, 0)), shadowRgn(CreateRectRgn(0, 0, 0, 0)) {
    RegisterWindowClass();
}

CRichTooltip::~CRichTooltip() {
    if (hwnd)
        DestroyWindow(hwnd);
}

void CRichTooltip::RegisterWindowClass() const {
    WNDCLASSA existing = {};
    if (GetClassInfoA(moduleInstance, CLASS_NAME, &existing)) {
        if (existing.lpfnWndProc == WindowProc)
            return;
        // Left behind by an earlier copy of this code that has since been unloaded.
        UnregisterClassA(CLASS_NAME, moduleInstance);
    }
    WNDCLASSA windowClass = {};
    windowClass.style = CS_SAVEBITS | (HasDropShadows() ? CS_DROPSHADOW : 0);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = moduleInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = CLASS_NAME;
    Module::RegisterWindowClass(windowClass);
}

void CRichTooltip::CreateWhenNeeded(HWND parent, bool balloon) {
    if (hwnd)
        DestroyWindow(hwnd);
    parentWnd = parent;
    pendingCreate = true;
    pendingBalloon = balloon;
}

bool CRichTooltip::Create(HWND parent, bool balloon) {
    pendingCreate = false;
    if (hwnd)
        DestroyWindow(hwnd);
    parentWnd = parent;
    if (!CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, CLASS_NAME, "", WS_POPUP, 0, 0, 0, 0,
                         nullptr, nullptr, moduleInstance, this))
        return false;
    NONCLIENTMETRICSW nonClient = {};
    nonClient.cbSize = sizeof nonClient;
    // Without the metrics the renderer keeps its default GUI font.
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof nonClient, &nonClient, 0))
        renderer.baseFont = nonClient.lfStatusFont;
    metrics = balloon ? BALLOON_METRICS : PLAIN_METRICS;
    return true;
}

void CRichTooltip::AddTool(HWND tool, const wchar_t* text, HICON icon, const RECT* rect,
                           DWORD userValue) {
    ToolInfo info;
    info.hwnd = tool;
    info.userValue = userValue;
    if (rect)
        info.rect = *rect;
    info.icon = icon;
    info.text = text ? text : L"";
    for (ToolInfo& existing : tools) {
        if (existing.hwnd == tool && EqualRect(&existing.rect, &info.rect)) {
            existing = info;
            return;
        }
    }
    tools.push_back(info);
}

void CRichTooltip::SetDelayTime(int type, UINT ms) {
    if (type == TTDT_AUTOPOP)
        autopopDelay = ms;
    else if (type == TTDT_INITIAL)
        initialDelay = ms;
}

void CRichTooltip::SetNotify(bool enable) {
    notifyWnd = enable ? parentWnd : nullptr;
}

void CRichTooltip::ModifyStyles(DWORD add, DWORD remove, int tool) {
    ToolInfo* info = Tool(tool);
    if (!info) {
        style = add | (style & ~remove);
        return;
    }
    const DWORD old = (info->overrides & OVERRIDE_STYLE) ? info->style : style;
    info->style = add | (old & ~remove);
    info->overrides |= OVERRIDE_STYLE;
}

void CRichTooltip::SetDirection(DWORD newDirection, int tool) {
    if (newDirection > BelowRight)
        return;
    SetField(&CRichTooltip::direction, &ToolInfo::direction, OVERRIDE_DIRECTION, newDirection,
             tool);
}

void CRichTooltip::SetEffect(DWORD newEffect, int tool) {
    SetField(&CRichTooltip::effect, &ToolInfo::effect, OVERRIDE_EFFECT, newEffect, tool);
}

void CRichTooltip::SetBehaviour(DWORD newBehaviour, int tool) {
    SetField(&CRichTooltip::behaviour, &ToolInfo::behaviour, OVERRIDE_BEHAVIOUR, newBehaviour,
             tool);
}

void CRichTooltip::SetField(DWORD CRichTooltip::*global, DWORD ToolInfo::*own, DWORD overrideBit,
                            DWORD value, int tool) {
    ToolInfo* info = Tool(tool);
    if (!info) {
        this->*global = value;
        return;
    }
    info->*own = value;
    info->overrides |= overrideBit;
}

ToolInfo* CRichTooltip::Tool(int index) {
    if (index < 0 || static_cast<size_t>(index) >= tools.size())
        return nullptr;
    return &tools[index];
}

void CRichTooltip::ResolveCurrentTool() {
    ToolInfo& tool = currentTool;
    if (!(tool.overrides & OVERRIDE_STYLE))
        tool.style = style;
    if (!(tool.overrides & OVERRIDE_EFFECT))
        tool.effect = effect;
    if (!(tool.overrides & OVERRIDE_DIRECTION))
        tool.direction = direction;
    if (!(tool.overrides & OVERRIDE_BEHAVIOUR))
        tool.behaviour = behaviour;
}

int CRichTooltip::HitTest(POINT parentClient) const {
    if (!parentWnd)
        return -1;
    POINT screen = parentClient;
    ClientToScreen(parentWnd, &screen);
    HWND window = WindowFromPoint(screen);
    if (window == parentWnd) {
        const UINT skip = CWP_SKIPINVISIBLE | ((style & TrackDisabled) ? 0 : CWP_SKIPDISABLED);
        window = ChildWindowFromPointEx(parentWnd, parentClient, skip);
    }
    if (!window)
        return -1;
    for (size_t k = 0; k < tools.size(); ++k) {
        const ToolInfo& tool = tools[k];
        if (tool.hwnd != window)
            continue;
        POINT inTool = screen;
        ScreenToClient(window, &inTool);
        if (IsRectEmpty(&tool.rect) || PtInRect(&tool.rect, inTool))
            return static_cast<int>(k);
    }
    return -1;
}

bool CRichTooltip::CursorOverTip(POINT screen) const {
    return IsWindowVisible(hwnd) && WindowFromPoint(screen) == hwnd;
}

void CRichTooltip::RelayEvent(const MSG* msg) {
    if (msg && !hwnd && pendingCreate && msg->message == WM_MOUSEMOVE)
        Create(parentWnd, pendingBalloon);
    if (!msg || !hwnd)
        return;
    switch (msg->message) {
    case WM_MOUSEMOVE:
        OnRelayedMouseMove(msg->pt);
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        HideTip();
        break;
    case WM_MOUSELEAVE:
        // A tool reports its leave after the next tool's first move: it must not end
        // the wait that move began.
        if (msg->hwnd == currentTool.hwnd && (currentTool.behaviour & KeepWhileInside))
            HideTip();
        break;
    default:
        break;
    }
}

void CRichTooltip::OnRelayedMouseMove(POINT screen) {
    if (SamePoint(screen, lastMousePos))
        return;
    if (!(style & ShowInactive) && !GetActiveWindow())
        return;
    lastMousePos = screen;
    POINT client = screen;
    ScreenToClient(parentWnd, &client);
    const int tool = HitTest(client);
    const DWORD current = currentTool.behaviour;
    if (tool < 0) {
        if (CursorOverTip(screen) && (current & KeepWhileInside))
            return;
        HideTip();
        pendingTool = shownTool = -1;
        return;
    }
    if (tool == shownTool) {
        if (IsWindowVisible(hwnd) && (current & KeepWhileInside))
            return;
        if (!(current & ReshowOnMove)) {
            HideTip();
            return;
        }
    }
    StartWaiting(tool);
}

void CRichTooltip::StartWaiting(int tool) {
    shownTool = -1;
    Conceal();
    if (!Tool(tool))
        return;
    // Resolved now already, so that the behaviour bits hold while the tip is pending.
    currentTool = tools[tool];
    ResolveCurrentTool();
    pendingTool = tool;
    SetTimer(hwnd, INITIAL_TIMER, initialDelay, nullptr);
}

void CRichTooltip::Conceal() {
    KillTimer(hwnd, INITIAL_TIMER);
    KillTimer(hwnd, AUTOPOP_TIMER);
    ShowWindow(hwnd, SW_HIDE);
    paintedTip.Reset();
}

void CRichTooltip::HideTip() {
    // A tip dismissed before its first paint was shown all the same: it must not come
    // back before the mouse has left the tool.
    if (IsWindowVisible(hwnd) && Tool(pendingTool))
        shownTool = pendingTool;
    Conceal();
}

void CRichTooltip::OnTimer(WPARAM id) {
    if (id == INITIAL_TIMER)
        OnInitialDelay();
    else if (id == AUTOPOP_TIMER)
        OnAutopop();
}

void CRichTooltip::OnInitialDelay() {
    Conceal();
    POINT cursor = {};
    if (!GetCursorPos(&cursor) || !parentWnd)
        return;
    POINT client = cursor;
    ScreenToClient(parentWnd, &client);
    const int tool = HitTest(client);
    if (tool != pendingTool || !Tool(tool) || !SamePoint(cursor, lastMousePos))
        return;
    if (ShowTip(cursor) && autopopDelay != 0 && !(currentTool.behaviour & NoAutopop))
        SetTimer(hwnd, AUTOPOP_TIMER, autopopDelay, nullptr);
}

void CRichTooltip::OnAutopop() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    if (CursorOverTip(cursor) && (currentTool.behaviour & NoAutopopOverTip))
        return;
    HideTip();
}

bool CRichTooltip::ShowTip(POINT cursor) {
    ResolveCurrentTool();
    if (notifyWnd && hwnd)
        Notify(cursor);
    if (!hwnd || (!currentTool.icon && currentTool.text.empty()))
        return false;
    // The notification may have set anything; an unknown direction falls back.
    if (currentTool.direction > BelowRight)
        currentTool.direction = direction;
    const SIZE tip = MeasureTip();
    const TipPlacement placement =
        PlaceTip(tip, cursor, ScreenSize(), currentTool.direction, currentTool.style, metrics);
    currentDirection = placement.direction;
    const RECT& at = placement.rect;
    SetWindowPos(hwnd, HWND_TOPMOST, at.left, at.top, tip.cx + 2, tip.cy + 2,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    Shape(tip, {cursor.x - at.left, cursor.y - at.top});
    return true;
}

void CRichTooltip::Notify(POINT cursor) {
    ToolInfo copy = currentTool;
    MapWindowPoints(hwnd, parentWnd, reinterpret_cast<POINT*>(&copy.rect), 2);
    const UINT_PTR id = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    TipNotify notify = {{hwnd, id, TIPN_BEFORESHOW}, &cursor, &copy};
    SendMessageA(notifyWnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&notify));
    const RECT rect = currentTool.rect;
    currentTool = copy;
    currentTool.rect = rect;
}

// The tip's size without the extra pixel of frame on each side.
SIZE CRichTooltip::MeasureTip() {
    MemoryDC dc(nullptr);
    const RECT area = {0, 0, renderer.maxTextWidth, 0};
    textSize = dc ? renderer.RenderText(dc.Get(), area, currentTool.text.c_str(), true) : SIZE{};
    // A tip never needs more than the screen; hostile texts must not ask for more.
    const SIZE screen = ScreenSize();
    textSize.cx = std::min(textSize.cx, screen.cx);
    textSize.cy = std::min(textSize.cy, screen.cy);
    iconSize = IconSize(currentTool.icon);

    SIZE tip = textSize;
    if (iconSize.cx != 0 || iconSize.cy != 0) {
        tip.cx += iconSize.cx + (textSize.cx != 0 ? metrics.marginX : 0);
        tip.cy = std::max(tip.cy, iconSize.cy);
    }
    tip.cx += 2 * metrics.marginX;
    tip.cy += metrics.anchorHeight + 2 * metrics.marginY;
    if (currentTool.style & TipShadow) {
        tip.cx += metrics.shadowDx;
        tip.cy += metrics.shadowDy;
    }
    // With its frame pixel on each side the window fits the screen, margins and all.
    tip.cx = std::max<LONG>(0, std::min<LONG>(tip.cx, screen.cx - 2));
    tip.cy = std::max<LONG>(0, std::min<LONG>(tip.cy, screen.cy - 2));
    return tip;
}

void CRichTooltip::Shape(SIZE tip, POINT cursorClient) {
    windowRgn = TipRegion(tip, cursorClient, currentDirection, currentTool.style, metrics);
    if (!windowRgn)
        windowRgn.Reset(CreateRectRgn(0, 0, 0, 0));
    shadowRgn.Reset(CreateRectRgn(0, 0, 0, 0));
    Region whole(CreateRectRgn(0, 0, 0, 0));
    if (!windowRgn || !shadowRgn || !whole)
        return;
    CombineRgn(whole.Get(), windowRgn.Get(), nullptr, RGN_COPY);
    if (currentTool.style & TipShadow) {
        CombineRgn(shadowRgn.Get(), windowRgn.Get(), nullptr, RGN_COPY);
        OffsetRgn(shadowRgn.Get(), metrics.shadowDx, metrics.shadowDy);
        CombineRgn(whole.Get(), whole.Get(), shadowRgn.Get(), RGN_OR);
    }
    // The window owns the region once it has accepted it.
    if (SetWindowRgn(hwnd, whole.Get(), FALSE))
        whole.Release();
}

void CRichTooltip::OnPaint() {
    PaintDC paint(hwnd);
    if (Tool(pendingTool)) {
        shownTool = pendingTool;
        pendingTool = -1;
        ComposeTip(paint.Get());
    }
    if (!paintedTip || !IsWindowVisible(hwnd))
        return;
    MemoryDC memory(paint.Get());
    if (!memory)
        return;
    Selection selection(memory.Get(), paintedTip.Get());
    BitBlt(paint.Get(), 0, 0, paintedSize.cx, paintedSize.cy, memory.Get(), 0, 0, SRCCOPY);
}

// Paints over a copy of what the window shows now, so the shadow darkens the real
// pixels under it.
void CRichTooltip::ComposeTip(HDC target) {
    RECT area;
    GetClientRect(hwnd, &area);
    area.right -= 1;
    area.bottom -= 1;
    paintedTip.Reset();
    if (area.right <= 0 || area.bottom <= 0)
        return;
    MemoryDC memory(target);
    Bitmap bitmap(CreateCompatibleBitmap(target, area.right, area.bottom));
    if (!memory || !bitmap)
        return;
    {
        Selection selection(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, area.right, area.bottom, target, 0, 0, SRCCOPY);
        const TipPicture picture = {currentTool,     currentDirection, metrics, windowRgn.Get(),
                                    shadowRgn.Get(), iconSize,         textSize};
        PaintTip(memory.Get(), area, picture, renderer);
    }
    paintedTip = std::move(bitmap);
    paintedSize = {area.right, area.bottom};
}

LRESULT CALLBACK CRichTooltip::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A window whose object it cannot keep is not made: nothing would destroy it.
    if (message == WM_NCCREATE) {
        CRichTooltip* self = TOOLTIP_OBJECT.AttachCreated(window, lParam);
        if (!self)
            return FALSE;
        self->hwnd = window;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    CRichTooltip* self = TOOLTIP_OBJECT.Of(window);
    const auto byDefault = [&] { return DefWindowProcA(window, message, wParam, lParam); };
    if (!self || self->hwnd != window)
        return byDefault();
    return Guarded(byDefault, [&] { return self->OnMessage(message, wParam, lParam); });
}

LRESULT CRichTooltip::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: {
        HWND window = hwnd;
        TOOLTIP_OBJECT.Detach(window);
        KillTimer(window, INITIAL_TIMER);
        KillTimer(window, AUTOPOP_TIMER);
        hwnd = nullptr;
        paintedTip.Reset();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        HideTip();
        return ForwardToParent(message, wParam, lParam);
    case WM_MOUSEMOVE:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return ForwardToParent(message, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CRichTooltip::ForwardToParent(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!parentWnd)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(hwnd, parentWnd, &point, 1);
    return SendMessageA(parentWnd, message, wParam, MAKELPARAM(point.x, point.y));
}
