// Test pictures made on the spot: PNGs through libpng's writer, BMPs and icons byte by
// byte. The tests, the digest tool and the fuzzing seed corpus share them.
#pragma once

#include "image/imagetypes.h"

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

class CRasterImage;
bool DecodeBytes(CRasterImage& image, const Bytes& bytes, DWORD formatId);

class ByteWriter {
public:
    ByteWriter& U8(unsigned value);
    ByteWriter& U16(unsigned value);
    ByteWriter& U32(uint32_t value);
    ByteWriter& Append(const Bytes& more);

    Bytes bytes;
};

struct PngPicture {
    int width = 0;
    int height = 0;
    int colorType = 0;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint16_t> samples; // top row first, channels interleaved
    Bytes palette;                 // red, green, blue triples
    Bytes paletteAlpha;            // transparency entries of a palette picture
    bool hasKey = false;           // transparency key of a grey or RGB picture
    uint16_t key[3] = {};          // grey in key[0], or red, green, blue
    bool hasBackground = false;
    uint16_t background[3] = {}; // red, green, blue (grey pictures use red)
    bool hasPhys = false;
    uint32_t physX = 0;
    uint32_t physY = 0;
    int physUnit = 0;

    uint16_t Sample(int x, int y, int channel) const;
};

int ChannelCount(int colorType);
// 9 x 7 pixels of varied samples and alpha.
PngPicture PatternPng(int colorType, int bitDepth, bool interlaced);
// Makes the colour of pixel (x, y) of a grey or RGB picture its transparency key.
void KeyOnPixel(PngPicture& picture, int x, int y);
// The same picture as 8-bit RGBA: samples scaled to bytes, grey spread to red, green and
// blue, and a colour key or palette opacity turned into alpha.
PngPicture Rgba8Twin(const PngPicture& picture);
Bytes WritePng(const PngPicture& picture);

// A 40-byte information header; a zero image size is left for the decoder to work out.
Bytes InfoHeader(LONG width, LONG height, WORD bitCount, DWORD compression = 0,
                 DWORD colorsUsed = 0, DWORD imageSize = 0);
Bytes BmpFile(const Bytes& headerAndPalette, const Bytes& pixels);

struct IconPicture {
    BYTE width = 0;
    BYTE height = 0;
    WORD bitCount = 0;
    Bytes palette;
    Bytes pixels;
    Bytes mask;
};
Bytes IconFile(const IconPicture& picture);

// 4 x 2 icon, 4 bits: pixel (x, y) has index x + 4 * y; every mask bit set.
IconPicture FullyMaskedIcon();
// 4 x 2 icon, 8 bits, indices 0..2 in use, pixels (0, 0) and (3, 1) masked.
IconPicture MaskedIcon8();
// 3 x 2 icon, 32 bits: pixel (x, y) has alpha 40 * (x + 3 * y) + 5; pixel (1, 0) masked.
IconPicture AlphaIcon32();

// 3 x 2, 8 bits, no file header: palette index x + 3 * y, palette entry i grey 50 * i.
Bytes BareDib8();
// 2 x 2 OS/2 bitmap, 8 bits, four 3-byte palette entries, indices 0 1 / 2 3.
Bytes CoreBitmap8();
// 2 x 2 top-down 24 bits: first file row red, green; second blue, white.
Bytes TopDownBitmap24();
// 2 x 1, 16 bits: pixels 0x7FFF and 0x001F, default 5-5-5 or explicit 5-6-5 masks.
Bytes Bitmap16(bool masks565);
// 3 x 2, 32 bits, pixel (x, y) = blue x, green y, red 9, fourth byte 0xEE.
Bytes Bitmap32();
// 4 x 3 RLE8: end of line first, a run, an odd absolute run, then no end of bitmap.
Bytes Rle8Bitmap();
// 5 x 1 RLE4: runs 3 x 0x12 and 2 x 0x34, giving 1 2 1 3 4.
Bytes Rle4Bitmap();

struct NamedFixture {
    std::string name;
    Bytes bytes;
};
std::vector<NamedFixture> AllFixtures();
