// One raster image held as a Windows packed DIB (header, palette and bottom-up pixel
// rows in one block, handed to GDI unchanged) with an optional alpha plane.
#pragma once

#include "image/imageerror.h"
#include "image/imagetypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

class ImageStream;

enum ImageFormat : DWORD { FormatUnknown = 0, FormatBmp = 1, FormatPng = 2, FormatIco = 3 };

struct ImageInfo {
    DWORD rowStride;
    BYTE* pixels;
    DWORD formatId;
    ImageError lastError;
    LONG transparentIndex;
    RGBQUAD transparentColor;
    LONG frameIndex;
    LONG frameCount;
    LONG dpiX;
    LONG dpiY;
    bool alphaPaletteEnabled;
    RGBQUAD lastColor;
    BYTE lastIndex;
    bool lastValid;
};

class CRasterImage {
public:
    // Skins come from the internet: an image may not claim more than this, counting the
    // alpha plane it may get later, nor a side longer than GDI's coordinate range.
    static constexpr uint64_t MAX_IMAGE_BYTES = 256ull << 20;
    static constexpr LONG MAX_SIDE = 32767;

    explicit CRasterImage(DWORD formatId = FormatUnknown);
    CRasterImage(const CRasterImage& source, bool copyPixels = true, bool copyAlpha = true);
    CRasterImage& operator=(const CRasterImage& source);
    virtual ~CRasterImage();

    bool Destroy();
    bool IsValid() const { return dib != nullptr; }
    LONG Width() const { return header.biWidth; }
    LONG Height() const { return header.biHeight; }
    WORD BitCount() const { return header.biBitCount; }

    BYTE* Create(LONG width, LONG height, DWORD bitsPerPixel, DWORD formatId);
    void CopyFrom(const CRasterImage& source, bool copyPixels, bool copyAlpha);
    bool TakeOver(CRasterImage& other);
    void CopySettingsFrom(const CRasterImage& source);

    const ImageInfo& Info() const { return info; }
    const BITMAPINFOHEADER& Header() const { return header; }
    ImageError LastError() const { return info.lastError; }
    BYTE* Dib() const { return dib.get(); }
    BYTE* AlphaPlane() const { return alpha.get(); }
    void SetTransparentIndex(LONG index) { info.transparentIndex = index; }
    void SetTransparentColor(RGBQUAD color) { info.transparentColor = color; }
    void SetFrameIndex(LONG index) { info.frameIndex = index; }

    bool IsInside(LONG x, LONG y) const;
    BYTE* RowPointer(DWORD row) const;

    RGBQUAD* Palette() const;
    RGBQUAD PaletteColor(DWORD index) const;
    void SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alphaValue = 0);
    void SetPaletteRgb(const BYTE* triples, DWORD count);
    void SetPalette(const RGBQUAD* entries, DWORD count = 256);
    void SetGrayPalette();
    bool IsGrayScale() const;
    RGBQUAD TransparentColor() const;

    BYTE PixelIndex(LONG x, LONG y) const;
    void SetPixelIndex(LONG x, LONG y, BYTE index);
    RGBQUAD PixelColor(LONG x, LONG y, bool withAlpha = true);
    void SetPixelColor(LONG x, LONG y, RGBQUAD color, bool withAlpha = false);
    void SetPixelColorRef(LONG x, LONG y, COLORREF color);
    BYTE NearestIndex(RGBQUAD color);

    void CreateAlpha();
    void DeleteAlpha();
    BYTE AlphaAt(LONG x, LONG y) const;
    void SetAlphaAt(LONG x, LONG y, BYTE value);
    bool FlipAlpha();

    void SetDpiX(LONG dpi);
    void SetDpiY(LONG dpi);

    bool FlipVertical();
    bool Invert();

    // Top-down picture coordinates; the result replaces this image unless a destination
    // is given. Resample modes: 1 nearest, 2 cubic B-spline, others bilinear (24-bit
    // images shrunk both ways are box-averaged).
    bool Crop(LONG left, LONG top, LONG right, LONG bottom, CRasterImage* destination = nullptr);
    // The same cut into another image, leaving this one as it is.
    bool Crop(LONG left, LONG top, LONG right, LONG bottom, CRasterImage& destination) const;
    bool Resample(LONG newWidth, LONG newHeight, int mode, CRasterImage* destination = nullptr);
#ifdef _WIN32
    // Paints at (x, y), stretched when a size is given, keyed and alpha-blended over what
    // the device context shows. 1 when something was attempted, 0 for nothing to do.
    int Draw(HDC dc, LONG x, LONG y, LONG width = -1, LONG height = -1,
             const RECT* clipRect = nullptr) const;
#endif

    bool Decode(ImageStream& stream, DWORD formatId);
    bool DecodeStdio(FILE* file, DWORD formatId);
    bool LoadFromFile(const char* path, DWORD formatId);
#ifdef _WIN32
    bool CreateFromBitmap(HBITMAP bitmap, HPALETTE palette = nullptr);
    bool LoadFromResource(HRSRC resource, DWORD formatId, HMODULE module);
#endif

protected:
    // Zero-filled; null when memory is short, which the caller reports as a code.
    static std::unique_ptr<BYTE[]> Allocate(size_t bytes);
    void SetError(ImageError error) {
        info.lastError = error;
    }
    size_t AlphaSize() const;

    std::unique_ptr<BYTE[]> dib;
    BITMAPINFOHEADER header;
    ImageInfo info;
    std::unique_ptr<BYTE[]> alpha;

private:
    size_t DibSize() const;
    BYTE* PixelAddress(LONG x, LONG y) const;
    bool KeepFailure(const CRasterImage& decoder, bool withFrameCount);
    bool DecodeAny(ImageStream& stream);
};
