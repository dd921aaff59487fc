// A 32-bit memory device context whose pixels tests read back.
#pragma once

#include "base/owners.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

class CCanvas {
public:
    CCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return dib.Dc(); }
    int Width() const { return width; }
    int Height() const { return height; }
    void Fill(COLORREF color);
    COLORREF Pixel(int x, int y) const;
    // Bounding box of the pixels that match; empty when none does.
    RECT Extent(const std::function<bool(COLORREF)>& match) const;
    RECT Extent(const std::function<bool(COLORREF)>& match, const RECT& within) const;
    RECT ExtentOf(COLORREF color) const;
    RECT ExtentOf(COLORREF color, const RECT& within) const;
    RECT ExtentNot(COLORREF color) const;
    int Count(COLORREF color) const;
    // The pixels that differ from those of another canvas, where both have pixels.
    int Differing(const CCanvas& other) const;
    bool WritePng(const std::string& path) const;

private:
    int width;
    int height;
    DibSection dib; // top-down
    uint32_t* bits;
};

// What the window's client shows now.
std::unique_ptr<CCanvas> ClientPixels(HWND window);
