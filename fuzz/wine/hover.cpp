#include "fuzz/wine/hover.h"

namespace {

constexpr WPARAM INITIAL_DELAY_TIMER = 256;

bool HasClass(HWND window, const char* name) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, name) == 0;
}

BOOL CALLBACK FindButton(HWND window, LPARAM found) {
    if (!HasClass(window, "ZRK_PNGBUTTON"))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

BOOL CALLBACK FindTooltip(HWND window, LPARAM found) {
    if (!HasClass(window, "RichTooltip"))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

} // namespace

bool HoverFirstButton(HWND dialog) {
    HWND button = nullptr;
    EnumChildWindows(dialog, FindButton, reinterpret_cast<LPARAM>(&button));
    if (!button)
        return false;
    RECT client;
    GetClientRect(button, &client);
    POINT centre = {client.right / 2, client.bottom / 2};
    POINT screen = centre;
    ClientToScreen(button, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    UpdateWindow(button);
    HWND tooltip = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tooltip));
    if (!tooltip)
        return false;
    SendMessageA(tooltip, WM_TIMER, INITIAL_DELAY_TIMER, 0);
    UpdateWindow(tooltip);
    return IsWindowVisible(tooltip) != FALSE;
}
