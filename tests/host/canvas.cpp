#include "tests/host/canvas.h"

#include <png.h>

#include <algorithm>
#include <vector>

CCanvas::CCanvas(int width, int height, COLORREF fill)
    : width(width), height(height), dib(nullptr, width, -height, 32),
      bits(reinterpret_cast<uint32_t*>(dib.Bits())) {
    Fill(fill);
}

void CCanvas::Fill(COLORREF color) {
    Brush brush(CreateSolidBrush(color));
    const RECT all = {0, 0, width, height};
    FillRect(dib.Dc(), &all, brush.Get());
}

COLORREF CCanvas::Pixel(int x, int y) const {
    if (!bits || x < 0 || y < 0 || x >= width || y >= height)
        return CLR_INVALID;
    GdiFlush();
    const uint32_t pixel = bits[y * width + x];
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

std::vector<COLORREF> CCanvas::Pixels() const {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels.push_back(Pixel(x, y));
    }
    return pixels;
}

RECT CCanvas::Extent(const std::function<bool(COLORREF)>& match) const {
    return Extent(match, {0, 0, width, height});
}

RECT CCanvas::Extent(const std::function<bool(COLORREF)>& match, const RECT& within) const {
    RECT box = {width, height, 0, 0};
    for (int y = std::max<LONG>(within.top, 0); y < std::min<LONG>(within.bottom, height); ++y) {
        for (int x = std::max<LONG>(within.left, 0); x < std::min<LONG>(within.right, width); ++x) {
            if (!match(Pixel(x, y)))
                continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return box.right == 0 ? RECT{} : box;
}

RECT CCanvas::ExtentOf(COLORREF color) const {
    return Extent([color](COLORREF pixel) { return pixel == color; });
}

RECT CCanvas::ExtentOf(COLORREF color, const RECT& within) const {
    return Extent([color](COLORREF pixel) { return pixel == color; }, within);
}

RECT CCanvas::ExtentNot(COLORREF color) const {
    return Extent([color](COLORREF pixel) { return pixel != color; });
}

int CCanvas::Differing(const CCanvas& other) const {
    int differing = 0;
    for (int y = 0; y < height && y < other.height; ++y) {
        for (int x = 0; x < width && x < other.width; ++x)
            differing += Pixel(x, y) != other.Pixel(x, y);
    }
    return differing;
}

int CCanvas::Count(COLORREF color) const {
    int count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            count += Pixel(x, y) == color;
    }
    return count;
}

bool CCanvas::WritePng(const std::string& path) const {
    std::vector<png_byte> rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = Pixel(x, y);
            rgb.insert(rgb.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
        }
    }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

std::unique_ptr<CCanvas> ClientPixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    auto canvas = std::make_unique<CCanvas>(client.right, client.bottom);
    WindowDC dc(window);
    BitBlt(canvas->Dc(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
    return canvas;
}
