#include "exitwnd/screenarea.h"

#include "base/owners.h"

#include <algorithm>

namespace {

// Beyond what any screen has: a value out of this range is taken for the usual one.
constexpr int LOWEST_DPI = 24;
constexpr int HIGHEST_DPI = 960;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Only systems from Windows 10 on have it.
GetDpiForWindowFunction FindGetDpiForWindow() {
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<GetDpiForWindowFunction>(
                      reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                : nullptr;
}

int ScreenDpi() {
    WindowDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : SkinFit::BASE_DPI;
}

} // namespace

int CScreenArea::DpiOf(HWND window) {
    const GetDpiForWindowFunction getDpiForWindow = FindGetDpiForWindow();
    int dpi = window && getDpiForWindow ? static_cast<int>(getDpiForWindow(window)) : 0;
    if (dpi <= 0)
        dpi = ScreenDpi();
    return dpi >= LOWEST_DPI && dpi <= HIGHEST_DPI ? dpi : SkinFit::BASE_DPI;
}

CScreenArea CScreenArea::Of(HWND owner) {
    HMONITOR monitor = nullptr;
    if (owner && IsWindow(owner)) {
        monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    } else {
        POINT cursor = {};
        GetCursorPos(&cursor);
        monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    }
    CScreenArea area;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info))
        area.workArea = info.rcWork;
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area.workArea, 0);
    area.dpi = DpiOf(owner && IsWindow(owner) ? owner : nullptr);
    return area;
}

SkinFit CScreenArea::Fit() const {
    SkinFit fit;
    fit.dpi = dpi;
    fit.limit = {workArea.right - workArea.left, workArea.bottom - workArea.top};
    return fit;
}

POINT CScreenArea::CentreIn(const RECT& area, SIZE size) {
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    POINT corner = {area.left + width / 2 - size.cx / 2, area.top + height / 2 - size.cy / 2};
    corner.x = std::max(area.left, std::min(corner.x, area.right - size.cx));
    corner.y = std::max(area.top, std::min(corner.y, area.bottom - size.cy));
    return corner;
}
