#include "tests/host/exitwindowinput.h"

namespace {

constexpr UINT_PTR TIP_INITIAL_TIMER = 256;

bool HasClass(HWND window, const char* name) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, name) == 0;
}

BOOL CALLBACK CollectTooltip(HWND window, LPARAM found) {
    if (HasClass(window, "RichTooltip"))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> ImageButtons(HWND window) {
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (HasClass(child, "ZRK_PNGBUTTON"))
            buttons.push_back(child);
    }
    return buttons;
}

HWND ButtonWithId(HWND window, LONG id) {
    for (HWND button : ImageButtons(window)) {
        if (GetWindowLongA(button, GWL_ID) == id)
            return button;
    }
    return nullptr;
}

std::vector<HWND> TooltipWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectTooltip, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool HoverUntilTheTipShows(HWND button) {
    RECT rect;
    GetClientRect(button, &rect);
    POINT at = {rect.right / 2, rect.bottom / 2};
    POINT screen = at;
    ClientToScreen(button, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    UpdateWindow(button);
    const std::vector<HWND> tips = TooltipWindows();
    if (tips.empty())
        return false;
    SendMessageA(tips.front(), WM_TIMER, TIP_INITIAL_TIMER, 0);
    UpdateWindow(tips.front());
    return IsWindowVisible(tips.front()) != FALSE;
}

bool HoverFirstButton(HWND window) {
    const std::vector<HWND> buttons = ImageButtons(window);
    return !buttons.empty() && HoverUntilTheTipShows(buttons.front());
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
