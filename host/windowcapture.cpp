#include "host/windowcapture.h"

#include "base/owners.h"

#include <cstring>

// A top-down 32-bit picture, filled through draw.
bool CWindowCapture::Render(int width, int height, const std::function<bool(HDC)>& draw,
                            ScreenImage& image) {
    if (width <= 0 || height <= 0)
        return false;
    DibSection dib(nullptr, width, -height, 32); // top-down, like the PNG rows
    if (!dib || !draw(dib.Dc()))
        return false;
    GdiFlush();

    image.width = width;
    image.height = height;
    image.bgrx.resize(static_cast<size_t>(width) * height * 4);
    std::memcpy(image.bgrx.data(), dib.Bits(), image.bgrx.size());
    return true;
}

bool CWindowCapture::Capture(HWND window, ScreenImage& image) {
    RECT bounds;
    if (!GetWindowRect(window, &bounds))
        return false;
    return Render(
        bounds.right - bounds.left, bounds.bottom - bounds.top,
        [window](HDC dc) { return PrintWindow(window, dc, 0) != FALSE; }, image);
}

bool CWindowCapture::CaptureScreen(const RECT& area, ScreenImage& image) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    return Render(
        width, height,
        [&](HDC dc) {
            WindowDC screen(nullptr);
            return screen &&
                   BitBlt(dc, 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY);
        },
        image);
}
