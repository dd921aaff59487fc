// Decodes a PNG file through libpng into a palette or 24-bit image, with an alpha plane
// for files that carry an alpha channel or a colour key.
#pragma once

#include "image/rasterimage.h"

#include <memory>

class CPngMemoryBudget;
struct png_struct_def;
struct png_info_def;

class PngCodec : public CRasterImage {
public:
    PngCodec() : CRasterImage(FormatPng) {}

    bool DecodeFrom(ImageStream& stream);
    // libpng's own allocations come from `budget`, which is left holding their account.
    bool DecodeFrom(ImageStream& stream, CPngMemoryBudget& budget);

private:
    using Png = png_struct_def*;
    using PngInfo = png_info_def*;

    // The rows libpng fills, owned outside the frames its errors jump over.
    struct RowBuffer {
        std::unique_ptr<BYTE[]> bytes;

        bool Allocate(size_t size) {
            bytes = CRasterImage::Allocate(size);
            return bytes != nullptr;
        }
        BYTE* Data() const { return bytes.get(); }
    };

    bool ReadImage(Png png, PngInfo pngInfo, ImageStream& stream, RowBuffer& rowBuffer);
    bool ReadWithinJumpScope(Png png, PngInfo pngInfo, ImageStream& stream, RowBuffer& rowBuffer);
    void SetBackground(Png png, PngInfo pngInfo, bool keepsAlpha);
    void ApplyResolution(Png png, PngInfo pngInfo);
    void ApplyPalette(Png png, PngInfo pngInfo);
    void ApplyPaletteTransparency(Png png, PngInfo pngInfo);
    void RequestAlphaChannel(Png png, int colorType);
    void ReadRows(Png png, RowBuffer& buffer, int passes, bool interlaced, bool twoBit);
    void ReadAlphaRows(Png png, RowBuffer& buffer, int passes, bool interlaced);
    void SplitAlphaRow(const BYTE* bgra, LONG row);
    void ReadIndexedRow(Png png, BYTE* buffer, LONG row, bool refill, bool expand);
};
