// Drawing onto a device context: at natural size straight from the pixel block, or
// through a working DIB section that holds the visible part of the destination.
#include "image/rasterimage.h"

#include "base/owners.h"
#include "image/blend.h"
#include "image/packedindex.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Where one call paints: the destination rectangle cut to the clip box, computed in
// 64 bits so that no position and size overflows.
struct PaintBox {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
};

PaintBox PaintBoxOf(HDC dc, LONG x, LONG y, LONG width, LONG height) {
    RECT clip = {};
    GetClipBox(dc, &clip);
    const int64_t right = static_cast<int64_t>(x) + width;
    const int64_t bottom = static_cast<int64_t>(y) + height;
    PaintBox box;
    box.left = std::min(clip.right, std::max(clip.left, x));
    box.top = std::min(clip.bottom, std::max(clip.top, y));
    box.right =
        static_cast<LONG>(std::max<int64_t>(clip.left, std::min<int64_t>(clip.right, right)));
    box.bottom =
        static_cast<LONG>(std::max<int64_t>(clip.top, std::min<int64_t>(clip.bottom, bottom)));
    return box;
}

// The source pixels behind one draw: a column for each working column and a storage
// row for each working row (row 0 is the paint box's bottom row).
struct SourceMap {
    std::vector<LONG> columns;
    std::vector<LONG> rows;
    bool natural;
};

SourceMap MapSource(const CRasterImage& image, const PaintBox& box, LONG x, LONG y, LONG width,
                    LONG height) {
    const LONG imageWidth = image.Width();
    const LONG imageHeight = image.Height();
    SourceMap map{std::vector<LONG>(static_cast<size_t>(box.Width())),
                  std::vector<LONG>(static_cast<size_t>(box.Height())),
                  width == imageWidth && height == imageHeight};
    const int64_t left = static_cast<int64_t>(box.left) - x;
    const int64_t bottom = static_cast<int64_t>(box.bottom) - y;
    if (map.natural) {
        for (size_t i = 0; i < map.columns.size(); ++i)
            map.columns[i] = static_cast<LONG>(left + static_cast<int64_t>(i));
        for (size_t j = 0; j < map.rows.size(); ++j)
            map.rows[j] = static_cast<LONG>(imageHeight - bottom + static_cast<int64_t>(j));
        return map;
    }
    // A row that would lie below the image is row 0. Rounding can overshoot by one on
    // stretches wider than 2^23 pixels; the upper clamps keep those on the image.
    const float fx = static_cast<float>(imageWidth) / static_cast<float>(width);
    const float fy = static_cast<float>(imageHeight) / static_cast<float>(height);
    for (size_t i = 0; i < map.columns.size(); ++i) {
        const float position = static_cast<float>(left + static_cast<int64_t>(i)) * fx;
        map.columns[i] = std::min<LONG>(imageWidth - 1, static_cast<LONG>(std::floor(position)));
    }
    for (size_t j = 0; j < map.rows.size(); ++j) {
        const float extent = static_cast<float>(bottom - static_cast<int64_t>(j)) * fy;
        const LONG row = imageHeight - static_cast<LONG>(std::ceil(extent));
        map.rows[j] = std::clamp<LONG>(row, 0, imageHeight - 1);
    }
    return map;
}

class RowPainter {
public:
    RowPainter(const CRasterImage& image, const SourceMap& map)
        : image(image), map(map), palette(image.Palette()), depth(image.BitCount()),
          colors(3 * map.columns.size()), opacities(map.columns.size()) {
        const ImageInfo& info = image.Info();
        paletteOpacity = palette && info.alphaPaletteEnabled;
        const RGBQUAD key = image.TransparentColor();
        keyedColor = !palette && info.transparentIndex != -1 && key.rgbReserved == 0;
        keyBlue = key.rgbBlue;
        keyGreen = key.rgbGreen;
        keyRed = key.rgbRed;
    }

    void Copy(BYTE* target, size_t j) const { FillColors(map.rows[j], target); }

    void Blend(BYTE* target, size_t j) {
        const LONG row = map.rows[j];
        const LONG first = map.columns[0];
        const BYTE* source = colors.data();
        if (map.natural && depth == 24)
            source = image.RowPointer(static_cast<DWORD>(row)) + 3 * static_cast<size_t>(first);
        else
            FillColors(row, colors.data());
        const BYTE* opacity = opacities.data();
        if (map.natural && image.AlphaPlane() && depth == 24 && !keyedColor)
            opacity = AlphaRow(row) + first;
        else
            FillOpacities(row);
        BlendRow(target, source, opacity, map.columns.size());
    }

private:
    const BYTE* AlphaRow(LONG row) const {
        return image.AlphaPlane() + static_cast<size_t>(row) * static_cast<size_t>(image.Width());
    }

    void FillColors(LONG row, BYTE* target) const {
        const BYTE* pixels = image.RowPointer(static_cast<DWORD>(row));
        for (size_t i = 0; i < map.columns.size(); ++i, target += 3) {
            const LONG sx = map.columns[i];
            if (palette) {
                const RGBQUAD& entry = palette[PackedIndex(pixels, sx, depth)];
                target[0] = entry.rgbBlue;
                target[1] = entry.rgbGreen;
                target[2] = entry.rgbRed;
            } else {
                std::memcpy(target, pixels + 3 * static_cast<size_t>(sx), 3);
            }
        }
    }

    // Opacity per working pixel: the alpha plane, scaled by the palette entry's opacity
    // when those apply; keyed pixels get 0.
    void FillOpacities(LONG row) {
        const BYTE* pixels = image.RowPointer(static_cast<DWORD>(row));
        const BYTE* plane = image.AlphaPlane() ? AlphaRow(row) : nullptr;
        const LONG keyIndex = image.Info().transparentIndex;
        for (size_t i = 0; i < map.columns.size(); ++i) {
            const LONG sx = map.columns[i];
            unsigned a = plane ? plane[sx] : 255;
            if (palette) {
                const BYTE index = PackedIndex(pixels, sx, depth);
                if (paletteOpacity)
                    a = a * (palette[index].rgbReserved + 1u) / 256;
                if (index == keyIndex)
                    a = 0;
            } else if (keyedColor) {
                const BYTE* pixel = pixels + 3 * static_cast<size_t>(sx);
                if (pixel[0] == keyBlue && pixel[1] == keyGreen && pixel[2] == keyRed)
                    a = 0;
            }
            opacities[i] = static_cast<BYTE>(a);
        }
    }

    const CRasterImage& image;
    const SourceMap& map;
    const RGBQUAD* palette;
    WORD depth;
    std::vector<BYTE> colors;
    std::vector<BYTE> opacities;
    bool paletteOpacity;
    bool keyedColor;
    BYTE keyBlue;
    BYTE keyGreen;
    BYTE keyRed;
};

} // namespace

int CRasterImage::Draw(HDC dc, LONG x, LONG y, LONG width, LONG height,
                       const RECT* clipRect) const {
    if (!dib || !dc || width == 0 || height == 0)
        return 0;
    if (width < 0)
        width = Width();
    if (height < 0)
        height = Height();
    ClipScope clip(dc, clipRect);
    const bool blend = info.transparentIndex != -1 || alpha || info.alphaPaletteEnabled;
    if (!blend && width == Width() && height == Height()) {
        SetStretchBltMode(dc, COLORONCOLOR);
        SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                          static_cast<UINT>(height), info.pixels,
                          reinterpret_cast<const BITMAPINFO*>(dib.get()), DIB_RGB_COLORS);
        return 1;
    }

    const PaintBox box = PaintBoxOf(dc, x, y, width, height);
    if (box.Width() <= 0 || box.Height() <= 0 || Width() <= 0 || Height() <= 0)
        return 1;
    // Bottom-up, as the pixel block's rows are stored.
    DibSection working(dc, box.Width(), box.Height(), 24);
    if (!working)
        return 1;
    if (blend) {
        BitBlt(working.Dc(), 0, 0, box.Width(), box.Height(), dc, box.left, box.top, SRCCOPY);
        GdiFlush();
    }
    const SourceMap map = MapSource(*this, box, x, y, width, height);
    RowPainter painter(*this, map);
    for (LONG j = 0; j < box.Height(); ++j) {
        BYTE* row = working.Bits() + static_cast<size_t>(j) * working.Stride();
        if (blend)
            painter.Blend(row, static_cast<size_t>(j));
        else
            painter.Copy(row, static_cast<size_t>(j));
    }
    SetDIBitsToDevice(dc, box.left, box.top, static_cast<DWORD>(box.Width()),
                      static_cast<DWORD>(box.Height()), 0, 0, 0, static_cast<UINT>(box.Height()),
                      working.Bits(), working.Info(), DIB_RGB_COLORS);
    return 1;
}
