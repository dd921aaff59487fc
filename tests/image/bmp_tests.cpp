#include "fixtures.h"
#include "imagetestsupport.h"

#include "image/rasterimage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Row(const CRasterImage& image, DWORD row, size_t bytes) {
    std::string text;
    const BYTE* pixels = image.RowPointer(row);
    for (size_t i = 0; i < bytes; ++i)
        text += (i ? " " : "") + std::to_string(pixels[i]);
    return text;
}

std::string Indices(const CRasterImage& image, LONG y) {
    std::string text;
    for (LONG x = 0; x < image.Width(); ++x)
        text += (x ? " " : "") + std::to_string(image.PixelIndex(x, y));
    return text;
}

Bytes Truncated(Bytes bytes, size_t keep) {
    bytes.resize(keep);
    return bytes;
}

} // namespace

TEST(BmpHeaders, BitmapWithoutFileHeaderReadsPixelsAfterThePalette) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, BareDib8(), FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.BitCount(), 8);
    EXPECT_EQ(Indices(image, 0), "0 1 2");
    EXPECT_EQ(Indices(image, 1), "3 4 5");
    EXPECT_EQ(Bgr(image, 2, 0), "100 100 100");
    EXPECT_EQ(image.PaletteColor(2).rgbReserved, 0);
    EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatBmp));
    EXPECT_EQ(image.Info().dpiX, 96);
}

TEST(BmpHeaders, Os2CoreHeaderWithThreeBytePalette) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, CoreBitmap8(), FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(Indices(image, 1), "2 3");
    EXPECT_EQ(Bgr(image, 1, 0), "1 254 0");
    EXPECT_EQ(Bgr(image, 1, 1), "3 252 1");
    EXPECT_EQ(Bgr(image, 0, 0), "0 255 0");
    EXPECT_EQ(image.PaletteColor(255).rgbRed, 127);
}

TEST(BmpHeaders, TopDownRowsEndWithTheFirstRowOnTop) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, TopDownBitmap24(), FormatBmp))
        << ImageErrorText(image.LastError());
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(Bgr(image, 0, 1), "0 0 255");
    EXPECT_EQ(Bgr(image, 1, 1), "0 255 0");
    EXPECT_EQ(Bgr(image, 0, 0), "255 0 0");
    EXPECT_EQ(Bgr(image, 1, 0), "255 255 255");
}

TEST(BmpHeaders, RejectedHeadersAndCompressions) {
    const struct {
        Bytes file;
        ImageError error;
    } cases[] = {
        {Bytes(10, 0), ImageError::NotBmp},
        {Truncated(BmpFile(InfoHeader(2, 2, 8), {}), 53), ImageError::BmpInfo},
        {BmpFile(Bytes{20, 0, 0, 0}, Bytes(60, 0)), ImageError::BmpInfo},
        {BmpFile(ByteWriter().U32(124).Append(Bytes(36, 0)).bytes, Bytes(100, 0)),
         ImageError::BmpInfo},
        {BmpFile(InfoHeader(2, 2, 8, 5), Bytes(1024 + 8, 0)),
         ImageError::BmpCompressionNotSupported},
        {BmpFile(InfoHeader(2, 2, 24, 1), Bytes(16, 0)), ImageError::BmpUnknownCompression},
        {BmpFile(InfoHeader(2, 2, 32, 2), Bytes(16, 0)), ImageError::BmpUnknownCompression},
        {BmpFile(InfoHeader(100000, 100000, 24), Bytes(64, 0)), ImageError::BmpCannotAllocate},
        {BmpFile(InfoHeader(2, INT32_MIN, 24), Bytes(64, 0)), ImageError::BmpCannotAllocate},
    };
    for (const auto& c : cases) {
        CRasterImage image;
        EXPECT_FALSE(DecodeBytes(image, c.file, FormatBmp)) << ImageErrorText(c.error);
        EXPECT_EQ(image.LastError(), c.error);
    }
}

TEST(BmpHeaders, OffsetsAndCountsBeyondTheFile) {
    Bytes file = BmpFile(InfoHeader(2, 1, 24), Bytes(8, 0x11));
    file[13] = 0x7F; // pixel offset far past the end
    CRasterImage image;
    EXPECT_FALSE(DecodeBytes(image, file, FormatBmp));
    EXPECT_EQ(image.LastError(), ImageError::BmpOffsetOutOfRange);

    // 300 colours claimed for a 1-bit image: two are stored, the rest stepped over.
    ByteWriter bare;
    bare.Append(InfoHeader(8, 1, 1, 0, 300));
    for (unsigned i = 0; i < 300; ++i)
        bare.U8(i).U8(i).U8(i).U8(0);
    bare.U8(0xA5).U8(0).U8(0).U8(0);
    ASSERT_TRUE(DecodeBytes(image, bare.bytes, FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(Indices(image, 0), "1 0 1 0 0 1 0 1");
    EXPECT_EQ(Bgr(image, 0, 0), "1 1 1");

    // A longer header whose extra fields run past the end of the file.
    ByteWriter longHeader;
    longHeader.U32(5000).U32(1).U32(1).U16(1).U16(24).U32(0).U32(4).Append(Bytes(16, 0));
    EXPECT_FALSE(DecodeBytes(image, longHeader.bytes, FormatBmp));
    EXPECT_EQ(image.LastError(), ImageError::BmpInfo);
}

TEST(BmpPixels, ShortPixelDataKeepsTheRestBlack) {
    ByteWriter pixels;
    pixels.U8(1).U8(2).U8(3).U8(4).U8(5);
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, BmpFile(InfoHeader(2, 2, 24), pixels.bytes), FormatBmp));
    EXPECT_EQ(Row(image, 0, 8), "1 2 3 4 5 0 0 0");
    EXPECT_EQ(Row(image, 1, 8), "0 0 0 0 0 0 0 0");
    ASSERT_TRUE(DecodeBytes(image, BmpFile(InfoHeader(3, 2, 32), pixels.bytes), FormatBmp));
    EXPECT_EQ(Row(image, 0, 9), "1 2 3 0 0 0 0 0 0");
}

TEST(BmpPixels, SixteenBitMasks) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, Bitmap16(false), FormatBmp))
        << ImageErrorText(image.LastError());
    EXPECT_EQ(image.BitCount(), 24);
    EXPECT_EQ(Bgr(image, 0, 0), "248 248 248");
    EXPECT_EQ(Bgr(image, 1, 0), "248 0 0");
    ASSERT_TRUE(DecodeBytes(image, Bitmap16(true), FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(Bgr(image, 0, 0), "248 252 120");
    EXPECT_EQ(Bgr(image, 1, 0), "248 0 0");

    // Masks wider than a byte shift the other way instead of by a negative amount.
    ByteWriter wide;
    wide.Append(InfoHeader(1, 1, 16, 3)).U32(0xFFFF).U32(0xFFFF).U32(0xFFFF).U16(0xABCD).U16(0);
    ASSERT_TRUE(DecodeBytes(image, wide.bytes, FormatBmp));
    EXPECT_EQ(Bgr(image, 0, 0), "171 0 0");
}

TEST(BmpPixels, ThirtyTwoBitsDropTheFourthByte) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, Bitmap32(), FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(Bgr(image, 2, 1), "2 1 9");
    EXPECT_EQ(Bgr(image, 0, 0), "0 0 9");
    EXPECT_EQ(image.AlphaPlane(), nullptr);
}

TEST(BmpRle, Rle8SkipsLinesJumpsAndFinishesWithoutEndMarker) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, Rle8Bitmap(), FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(Row(image, 0, 4), "0 0 0 0");
    EXPECT_EQ(Row(image, 1, 4), "5 5 5 0");
    EXPECT_EQ(Row(image, 2, 4), "0 7 8 9");
}

TEST(BmpRle, Rle4RunsAlternateNibbles) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, Rle4Bitmap(), FormatBmp)) << ImageErrorText(image.LastError());
    EXPECT_EQ(Indices(image, 0), "1 2 1 3 4");

    // Absolute runs: 6 nibbles take 3 bytes and a padding byte, 3 nibbles 2 bytes and none.
    ByteWriter file;
    file.Append(InfoHeader(11, 1, 4, 2, 16)).Append(Bytes(64, 0));
    const Bytes rle = {0, 6, 0x9A, 0xBC, 0xDE, 0xEE, 0, 3, 0x12, 0x30, 2, 0x77};
    ASSERT_TRUE(DecodeBytes(image, BmpFile(file.bytes, rle), FormatBmp));
    EXPECT_EQ(Indices(image, 0), "9 10 11 12 13 14 1 2 3 7 7");
}

TEST(BmpRle, RunsNeverWriteOutsideThePixelRows) {
    ByteWriter header;
    header.Append(InfoHeader(4, 2, 8, 1, 4)).Append(Bytes(16, 0));
    // A run past the end of row 0 goes on in row 1; later runs and jumps leave the rows.
    const Bytes rle = {6, 3, 0, 2, 200, 0, 255, 9, 0, 0, 0, 0, 0, 255, 9, 0, 255};
    Bytes tail(255, 4);
    Bytes data = rle;
    data.insert(data.end(), tail.begin(), tail.end());
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, BmpFile(header.bytes, data), FormatBmp));
    EXPECT_EQ(Row(image, 0, 4), "3 3 3 3");
    EXPECT_EQ(Row(image, 1, 4), "3 3 0 0");

    ByteWriter header4;
    header4.Append(InfoHeader(3, 1, 4, 2, 16)).Append(Bytes(64, 0));
    const Bytes rle4 = {255, 0x56, 0, 255, 0x12, 0x34};
    ASSERT_TRUE(DecodeBytes(image, BmpFile(header4.bytes, rle4), FormatBmp));
    EXPECT_EQ(Row(image, 0, 4), "86 86 86 86");
}
