#include "dock/windowcapture.h"

#include "core/gdiobjects.h"

#include <cstring>

bool CWindowCapture::Capture(HWND window, ScreenImage& image) {
    RECT bounds;
    if (!GetWindowRect(window, &bounds))
        return false;
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, like the PNG rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    MemoryDC dc(nullptr);
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap)
        return false;
    Selection selected(dc.Get(), bitmap.Get());
    if (!PrintWindow(window, dc.Get(), 0))
        return false;
    GdiFlush();

    image.width = width;
    image.height = height;
    image.bgrx.resize(static_cast<size_t>(width) * height * 4);
    std::memcpy(image.bgrx.data(), bits, image.bgrx.size());
    return true;
}
