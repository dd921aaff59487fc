#include "settings/hotkeyctrl.h"

namespace {

LRESULT CALLBACK HotKeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void RegisterHotKeyClass(HMODULE module) {
    WNDCLASSA existing;
    if (GetClassInfoA(module, HOTKEY_CLASS_NAME, &existing))
        return;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = HotKeyWindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32513));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = HOTKEY_CLASS_NAME;
    RegisterClassA(&windowClass);
}
