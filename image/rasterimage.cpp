#include "image/rasterimage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr DWORD HEADER_BYTES = 40;
constexpr LONG DEFAULT_DPI = 96;
constexpr LONG DEFAULT_PELS_PER_METER = 3780;

DWORD NormalisedDepth(DWORD bitsPerPixel) {
    if (bitsPerPixel <= 1)
        return 1;
    if (bitsPerPixel <= 4)
        return 4;
    if (bitsPerPixel <= 8)
        return 8;
    return 24;
}

DWORD PaletteEntries(DWORD depth) {
    return depth == 24 ? 0 : 1u << depth;
}

uint64_t StrideOf(uint32_t width, uint32_t depth) {
    return (static_cast<uint64_t>(width) * depth + 31) / 32 * 4;
}

bool WithinMemoryLimit(LONG width, LONG height, DWORD depth) {
    const uint32_t w = static_cast<uint32_t>(width);
    const uint32_t h = static_cast<uint32_t>(height);
    const uint32_t maxSide = static_cast<uint32_t>(CRasterImage::MAX_SIDE);
    if (w > maxSide || h > maxSide)
        return false;
    const uint64_t pixelBytes = StrideOf(w, depth) * h;
    const uint64_t alphaBytes = static_cast<uint64_t>(w) * h;
    return pixelBytes + alphaBytes <= CRasterImage::MAX_IMAGE_BYTES;
}

bool SameColor(RGBQUAD a, RGBQUAD b) {
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

LONG Square(int value) {
    return value * value;
}

LONG ColorDistance(RGBQUAD a, RGBQUAD b) {
    return Square(a.rgbBlue - b.rgbBlue) + Square(a.rgbGreen - b.rgbGreen) +
           Square(a.rgbRed - b.rgbRed);
}

// floor(dpi * 10000 / 254 + 0.5) in integers: the same value as the floating-point
// formula for every whole dpi, identical on every compiler, and clamped to LONG.
LONG PelsPerMeter(LONG dpi) {
    const int64_t numerator = static_cast<int64_t>(dpi) * 10000 + 127;
    int64_t pels = numerator / 254;
    if (numerator % 254 != 0 && numerator < 0)
        --pels;
    return static_cast<LONG>(std::clamp<int64_t>(pels, INT32_MIN, INT32_MAX));
}

} // namespace

std::unique_ptr<BYTE[]> CRasterImage::Allocate(size_t bytes) {
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[bytes]());
}

CRasterImage::CRasterImage(DWORD formatId) : header(), info() {
    info.formatId = formatId;
    info.transparentIndex = -1;
    info.dpiX = DEFAULT_DPI;
    info.dpiY = DEFAULT_DPI;
    header.biXPelsPerMeter = DEFAULT_PELS_PER_METER;
    header.biYPelsPerMeter = DEFAULT_PELS_PER_METER;
}

CRasterImage::CRasterImage(const CRasterImage& source, bool copyPixels, bool copyAlpha)
    : CRasterImage(source.info.formatId) {
    CopyFrom(source, copyPixels, copyAlpha);
}

CRasterImage& CRasterImage::operator=(const CRasterImage& source) {
    if (&source != this)
        CopyFrom(source, true, true);
    return *this;
}

CRasterImage::~CRasterImage() = default;

bool CRasterImage::Destroy() {
    alpha.reset();
    dib.reset();
    info.pixels = nullptr;
    return true;
}

BYTE* CRasterImage::Create(LONG width, LONG height, DWORD bitsPerPixel, DWORD formatId) {
    Destroy();
    const DWORD depth = NormalisedDepth(bitsPerPixel);
    if (!WithinMemoryLimit(width, height, depth)) {
        SetError(ImageError::TooLarge);
        return nullptr;
    }
    header.biClrUsed = PaletteEntries(depth);
    info.rowStride = static_cast<DWORD>(StrideOf(static_cast<uint32_t>(width), depth));
    info.formatId = formatId;
    header.biSize = HEADER_BYTES;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(depth);
    header.biCompression = BI_RGB;
    header.biSizeImage = info.rowStride * static_cast<DWORD>(height);
    header.biClrImportant = 0;

    // Zero-filled, so that pixels a damaged file never reaches read the same everywhere.
    dib = Allocate(DibSize());
    if (!dib) {
        SetError(ImageError::CannotAllocate);
        return nullptr;
    }
    std::memcpy(dib.get(), &header, HEADER_BYTES);
    info.pixels = dib.get() + HEADER_BYTES + 4 * header.biClrUsed;
    return dib.get();
}

void CRasterImage::CopyFrom(const CRasterImage& source, bool copyPixels, bool copyAlpha) {
    if (&source == this)
        return;
    info = source.info;
    Create(source.Width(), source.Height(), source.BitCount(), source.info.formatId);
    if (copyPixels && dib && source.dib)
        std::memcpy(dib.get(), source.dib.get(), DibSize());
    else
        SetPalette(source.Palette(), 256);
    if (!copyAlpha || !source.alpha || !dib)
        return;
    alpha = Allocate(AlphaSize());
    if (alpha)
        std::memcpy(alpha.get(), source.alpha.get(), AlphaSize());
}

bool CRasterImage::TakeOver(CRasterImage& other) {
    if (&other == this)
        return true;
    Destroy();
    header = other.header;
    info = other.info;
    dib = std::move(other.dib);
    alpha = std::move(other.alpha);
    other.header = BITMAPINFOHEADER();
    other.info = ImageInfo();
    return true;
}

void CRasterImage::CopySettingsFrom(const CRasterImage& source) {
    if (dib)
        return;
    info = source.info;
    // The source's row pointer means nothing without its pixel block.
    info.pixels = nullptr;
}

bool CRasterImage::IsInside(LONG x, LONG y) const {
    return x >= 0 && x < Width() && y >= 0 && y < Height();
}

BYTE* CRasterImage::RowPointer(DWORD row) const {
    if (!dib)
        return nullptr;
    if (row == 0)
        return info.pixels;
    if (row < static_cast<DWORD>(Height()))
        return info.pixels + static_cast<size_t>(row) * info.rowStride;
    return nullptr;
}

RGBQUAD* CRasterImage::Palette() const {
    if (!dib || header.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(dib.get() + HEADER_BYTES);
}

RGBQUAD CRasterImage::PaletteColor(DWORD index) const {
    const RGBQUAD* palette = Palette();
    if (!palette || index >= header.biClrUsed)
        return RGBQUAD();
    return palette[index];
}

void CRasterImage::SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alphaValue) {
    RGBQUAD* palette = Palette();
    if (!palette || index >= header.biClrUsed)
        return;
    palette[index] = RGBQUAD{blue, green, red, alphaValue};
    info.lastValid = false;
}

void CRasterImage::SetPaletteRgb(const BYTE* triples, DWORD count) {
    RGBQUAD* palette = Palette();
    if (!palette || !triples)
        return;
    const DWORD entries = std::min(count, header.biClrUsed);
    for (DWORD i = 0; i < entries; ++i) {
        palette[i].rgbRed = triples[3 * i];
        palette[i].rgbGreen = triples[3 * i + 1];
        palette[i].rgbBlue = triples[3 * i + 2];
    }
    info.lastValid = false;
}

void CRasterImage::SetPalette(const RGBQUAD* entries, DWORD count) {
    RGBQUAD* palette = Palette();
    if (!palette || !entries)
        return;
    std::memmove(palette, entries, sizeof(RGBQUAD) * std::min(count, header.biClrUsed));
    info.lastValid = false;
}

void CRasterImage::SetGrayPalette() {
    RGBQUAD* palette = Palette();
    if (!palette || header.biClrUsed < 2)
        return;
    const DWORD step = 255 / (header.biClrUsed - 1);
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        const BYTE level = static_cast<BYTE>(i * step);
        palette[i].rgbBlue = level;
        palette[i].rgbGreen = level;
        palette[i].rgbRed = level;
    }
}

bool CRasterImage::IsGrayScale() const {
    const RGBQUAD* palette = Palette();
    if (!palette)
        return false;
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        if (palette[i].rgbBlue != i || palette[i].rgbGreen != i || palette[i].rgbRed != i)
            return false;
    }
    return true;
}

RGBQUAD CRasterImage::TransparentColor() const {
    if (BitCount() < 24 && info.transparentIndex != -1)
        return PaletteColor(static_cast<BYTE>(info.transparentIndex));
    return info.transparentColor;
}

BYTE* CRasterImage::PixelAddress(LONG x, LONG y) const {
    const size_t column = static_cast<size_t>(x) * BitCount() / 8;
    return info.pixels + static_cast<size_t>(y) * info.rowStride + column;
}

BYTE CRasterImage::PixelIndex(LONG x, LONG y) const {
    if (!Palette())
        return 0;
    if (!IsInside(x, y)) {
        if (info.transparentIndex != -1)
            return static_cast<BYTE>(info.transparentIndex);
        return header.biSizeImage ? info.pixels[0] : 0;
    }
    const BYTE value = *PixelAddress(x, y);
    switch (BitCount()) {
    case 8:
        return value;
    case 4:
        return static_cast<BYTE>((value >> (4 * (1 - x % 2))) & 0x0F);
    default:
        return static_cast<BYTE>((value >> (7 - x % 8)) & 1);
    }
}

void CRasterImage::SetPixelIndex(LONG x, LONG y, BYTE index) {
    if (!Palette() || !IsInside(x, y))
        return;
    BYTE& target = *PixelAddress(x, y);
    switch (BitCount()) {
    case 8:
        target = index;
        break;
    case 4: {
        const int shift = 4 * (1 - x % 2);
        target = static_cast<BYTE>((target & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    default: {
        const int shift = 7 - x % 8;
        target = static_cast<BYTE>((target & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    }
}

RGBQUAD CRasterImage::PixelColor(LONG x, LONG y, bool withAlpha) {
    if (!dib || !IsInside(x, y)) {
        if (info.transparentIndex != -1) {
            if (BitCount() < 24)
                return PaletteColor(static_cast<BYTE>(info.transparentIndex));
            return info.transparentColor;
        }
        // An image without pixels has no pixel (0, 0) to fall back on.
        if (dib && IsInside(0, 0))
            return PixelColor(0, 0, true);
        return info.transparentColor;
    }
    RGBQUAD color;
    if (Palette()) {
        color = PaletteColor(PixelIndex(x, y));
    } else {
        const BYTE* pixel = PixelAddress(x, y);
        color = RGBQUAD{pixel[0], pixel[1], pixel[2], info.transparentColor.rgbReserved};
    }
    if (alpha && withAlpha)
        color.rgbReserved = AlphaAt(x, y);
    return color;
}

void CRasterImage::SetPixelColor(LONG x, LONG y, RGBQUAD color, bool withAlpha) {
    if (!dib || !IsInside(x, y))
        return;
    if (Palette()) {
        SetPixelIndex(x, y, NearestIndex(color));
        return;
    }
    BYTE* pixel = PixelAddress(x, y);
    pixel[0] = color.rgbBlue;
    pixel[1] = color.rgbGreen;
    pixel[2] = color.rgbRed;
    if (withAlpha)
        SetAlphaAt(x, y, color.rgbReserved);
}

void CRasterImage::SetPixelColorRef(LONG x, LONG y, COLORREF color) {
    SetPixelColor(x, y, RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0}, false);
}

BYTE CRasterImage::NearestIndex(RGBQUAD color) {
    const RGBQUAD* palette = Palette();
    if (!palette)
        return 0;
    if (info.lastValid && SameColor(color, info.lastColor))
        return info.lastIndex;
    info.lastColor = color;
    info.lastValid = true;

    DWORD entries = header.biClrUsed;
    if (header.biClrImportant != 0)
        entries = std::min(header.biClrImportant, entries);
    LONG best = 200000;
    BYTE answer = 0;
    for (DWORD i = 0; i < entries; ++i) {
        const LONG distance = ColorDistance(color, palette[i]);
        if (distance < best) {
            best = distance;
            answer = static_cast<BYTE>(i);
        }
        if (distance == 0)
            break;
    }
    info.lastIndex = answer;
    return answer;
}

size_t CRasterImage::AlphaSize() const {
    if (Width() <= 0 || Height() <= 0)
        return 0;
    return static_cast<size_t>(Width()) * static_cast<size_t>(Height());
}

void CRasterImage::CreateAlpha() {
    // A plane belongs to pixels; without them the header's size may be stale.
    if (alpha || !dib)
        return;
    alpha = Allocate(AlphaSize());
    if (alpha)
        std::memset(alpha.get(), 255, AlphaSize());
}

void CRasterImage::DeleteAlpha() {
    alpha.reset();
}

BYTE CRasterImage::AlphaAt(LONG x, LONG y) const {
    if (!alpha || !IsInside(x, y))
        return 0;
    return alpha[static_cast<size_t>(x) + static_cast<size_t>(y) * Width()];
}

void CRasterImage::SetAlphaAt(LONG x, LONG y, BYTE value) {
    if (!alpha || !IsInside(x, y))
        return;
    alpha[static_cast<size_t>(x) + static_cast<size_t>(y) * Width()] = value;
}

bool CRasterImage::FlipAlpha() {
    if (!alpha)
        return false;
    std::unique_ptr<BYTE[]> flipped = Allocate(AlphaSize());
    if (!flipped)
        return false;
    const size_t width = static_cast<size_t>(std::max<LONG>(Width(), 0));
    const LONG height = Height();
    for (LONG row = 0; row < height; ++row) {
        std::memcpy(flipped.get() + row * width, alpha.get() + (height - 1 - row) * width, width);
    }
    alpha = std::move(flipped);
    return true;
}

void CRasterImage::SetDpiX(LONG dpi) {
    info.dpiX = dpi;
    header.biXPelsPerMeter = PelsPerMeter(dpi);
}

void CRasterImage::SetDpiY(LONG dpi) {
    info.dpiY = dpi;
    header.biYPelsPerMeter = PelsPerMeter(dpi);
}

bool CRasterImage::FlipVertical() {
    if (!dib)
        return false;
    CRasterImage flipped;
    flipped.CopyFrom(*this, false, true);
    if (!flipped.IsValid())
        return false;
    const DWORD height = static_cast<DWORD>(Height());
    for (DWORD row = 0; row < height; ++row)
        std::memcpy(flipped.RowPointer(row), RowPointer(height - 1 - row), info.rowStride);
    flipped.FlipAlpha();
    TakeOver(flipped);
    return true;
}

bool CRasterImage::Invert() {
    if (!dib)
        return false;
    if (BitCount() == 24) {
        BYTE* pixels = info.pixels;
        for (DWORD i = 0; i < header.biSizeImage; ++i)
            pixels[i] = static_cast<BYTE>(~pixels[i]);
        RGBQUAD& key = info.transparentColor;
        key = RGBQUAD{static_cast<BYTE>(~key.rgbBlue), static_cast<BYTE>(~key.rgbGreen),
                      static_cast<BYTE>(~key.rgbRed), key.rgbReserved};
        return true;
    }
    if (IsGrayScale()) {
        for (LONG y = 0; y < Height(); ++y) {
            for (LONG x = 0; x < Width(); ++x)
                SetPixelIndex(x, y, static_cast<BYTE>(255 - PixelIndex(x, y)));
        }
        return true;
    }
    RGBQUAD* palette = Palette();
    for (DWORD i = 0; palette && i < header.biClrUsed; ++i) {
        palette[i].rgbBlue = static_cast<BYTE>(~palette[i].rgbBlue);
        palette[i].rgbGreen = static_cast<BYTE>(~palette[i].rgbGreen);
        palette[i].rgbRed = static_cast<BYTE>(~palette[i].rgbRed);
    }
    return true;
}

size_t CRasterImage::DibSize() const {
    return HEADER_BYTES + 4 * static_cast<size_t>(header.biClrUsed) + header.biSizeImage;
}
