// Decodes Windows bitmaps, with or without the file header: OS/2 core and Windows
// information headers, 1 to 32 bits per pixel, RLE8, RLE4 and 16-bit bitfields.
#pragma once

#include "image/rasterimage.h"

#include <cstdint>

class BmpCodec : public CRasterImage {
public:
    BmpCodec() : CRasterImage(FormatBmp) {}

    bool DecodeFrom(ImageStream& stream);

private:
    ImageError Read(ImageStream& stream);
    void ReadPalette(ImageStream& stream, DWORD fileColors, bool coreFormat);
    ImageError ReadPixels(ImageStream& stream, const BITMAPINFOHEADER& file, LONG start,
                          DWORD pixelOffset);
    ImageError ReadIndexed(ImageStream& stream, DWORD compression);
    ImageError Read16(ImageStream& stream, const DWORD* masks);
    ImageError Read32(ImageStream& stream);
    void DecodeRle8(ImageStream& stream);
    void DecodeRle4(ImageStream& stream);
    void PutByte(uint64_t row, uint64_t x, BYTE value);
    void PutNibble(uint64_t row, uint64_t x, BYTE value);
};
