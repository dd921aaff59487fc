#include "dock/dockbar.h"

#include "base/owners.h"
#include "base/windowobject.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr WindowObject<CDockBar> BAR_OBJECT;
constexpr COLORREF BAR_COLOUR = RGB(38, 42, 50);
constexpr COLORREF BORDER_COLOUR = RGB(86, 94, 110);
constexpr COLORREF HOT_COLOUR = RGB(66, 73, 88);
constexpr COLORREF PRESSED_COLOUR = RGB(24, 27, 33);
constexpr int SCREEN_MARGIN = 8;
constexpr UINT_PTR TOOL_ID = 1;

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.Get());
}

void Frame(HDC dc, const RECT& rect, COLORREF colour) {
    Brush brush(CreateSolidBrush(colour));
    FrameRect(dc, &rect, brush.Get());
}

bool RegisterBarClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, CDockBar::CLASS_NAME, &existing))
        return true;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = CDockBar::CLASS_NAME;
    return RegisterClassExA(&windowClass) != 0;
}

} // namespace

CDockBar::~CDockBar() {
    if (window)
        DestroyWindow(window);
}

bool CDockBar::Create(HINSTANCE instance) {
    {
        WindowDC screen(nullptr);
        dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : USUAL_DPI;
    }
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    if (!RegisterBarClass(instance, WindowProc))
        return false;
    CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, CLASS_NAME, "Quiescor dock", WS_POPUP, 0, 0,
                    Scaled(SIZE), Scaled(SIZE), nullptr, nullptr, instance, this);
    return window && CreateTooltip(instance);
}

void CDockBar::Attach(IHostPlugin* newPlugin) {
    plugin = newPlugin;
    Refresh();
}

void CDockBar::Refresh() {
    icon = nullptr;
    caption.clear();
    if (plugin) {
        ButtonInfo info = {};
        info.mask = BIM_ICON | BIM_CAPTION;
        plugin->GetButtonInfo(&info);
        info.caption[sizeof info.caption - 1] = '\0';
        icon = info.icon;
        caption = info.caption;
    }
    UpdateTooltip();
    InvalidateRect(window, nullptr, FALSE);
}

void CDockBar::Show() {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int size = Scaled(SIZE);
    int x = work.left + (work.right - work.left - size) / 2;
    int y = work.bottom - size - Scaled(SCREEN_MARGIN);
    SetWindowPos(window, HWND_TOPMOST, x, y, size, size, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(window);
}

void CDockBar::RunCommand(UINT command) {
    if (command == CMD_SETTINGS && plugin)
        plugin->Configure(1);
    else if (command == CMD_EXIT)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK CDockBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        CDockBar* created = BAR_OBJECT.AttachCreated(window, lParam);
        if (!created)
            return FALSE;
        created->window = window;
    }
    CDockBar* bar = BAR_OBJECT.Of(window);
    if (!bar)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        BAR_OBJECT.Detach(window);
        bar->window = nullptr;
        bar->tooltip = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return bar->HandleMessage(message, wParam, lParam);
}

LRESULT CDockBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: {
        PaintDC dc(window);
        Paint(dc.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave = false;
        SetState(false, pressed);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(point);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(point);
        return 0;
    case WM_CAPTURECHANGED:
        SetState(hot, false);
        return 0;
    case WM_CONTEXTMENU:
        ShowMenu(point);
        return 0;
    case WM_HOTKEY:
        Press();
        return 0;
    case WM_CLOSE:
        // The dock releases the plug-in while the bar still exists, so the object can
        // still reach its owner window and drop its hot key.
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool CDockBar::CreateTooltip(HINSTANCE instance) {
    tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    if (!tooltip)
        return false;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = TOOL_ID;
    tool.rect = ButtonRect();
    tool.lpszText = const_cast<char*>(caption.c_str());
    return SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

void CDockBar::UpdateTooltip() {
    if (!tooltip)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = TOOL_ID;
    tool.lpszText = const_cast<char*>(caption.c_str());
    SendMessageA(tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CDockBar::Paint(HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    Fill(dc, client, BAR_COLOUR);
    Frame(dc, client, BORDER_COLOUR);
    RECT button = ButtonRect();
    if (pressed)
        Fill(dc, button, PRESSED_COLOUR);
    else if (hot)
        Fill(dc, button, HOT_COLOUR);
    if (!icon)
        return;
    // A pressed button's icon sinks by a pixel, as on a push button.
    const int iconSize = Scaled(ICON_SIZE);
    int offset = (Scaled(BUTTON_SIZE) - iconSize) / 2 + (pressed ? 1 : 0);
    DrawIconEx(dc, button.left + offset, button.top + offset, icon, iconSize, iconSize, 0, nullptr,
               DI_NORMAL);
}

void CDockBar::Press() {
    if (plugin)
        plugin->Execute();
}

void CDockBar::ShowMenu(POINT screenPoint) {
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        RECT button = ButtonRect();
        screenPoint = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        ClientToScreen(window, &screenPoint);
    }
    MenuHandle menu(CreatePopupMenu());
    AppendMenuA(menu.Get(), MF_STRING | (plugin ? 0 : MF_GRAYED), CMD_SETTINGS, "Settings...");
    AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.Get(), MF_STRING, CMD_EXIT, "Exit");
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    UINT command = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                  screenPoint.x, screenPoint.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    RunCommand(command);
}

void CDockBar::OnMouseMove(POINT point) {
    if (!trackingLeave) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window;
        trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
    RECT button = ButtonRect();
    SetState(PtInRect(&button, point) != FALSE, pressed);
}

void CDockBar::OnButtonDown(POINT point) {
    RECT button = ButtonRect();
    if (!PtInRect(&button, point))
        return;
    SetCapture(window);
    SetState(true, true);
}

void CDockBar::OnButtonUp(POINT point) {
    if (!pressed)
        return;
    ReleaseCapture();
    SetState(hot, false);
    RECT button = ButtonRect();
    if (PtInRect(&button, point))
        Press();
}

void CDockBar::SetState(bool newHot, bool newPressed) {
    if (newHot == hot && newPressed == pressed)
        return;
    hot = newHot;
    pressed = newPressed;
    InvalidateRect(window, nullptr, FALSE);
}

RECT CDockBar::ButtonRect() const {
    const int padding = Scaled(PADDING);
    return {padding, padding, padding + Scaled(BUTTON_SIZE), padding + Scaled(BUTTON_SIZE)};
}

// The bar follows the screen's resolution, as the plug-in's windows do.
int CDockBar::Scaled(int length) const {
    return MulDiv(length, dpi, USUAL_DPI);
}
