#include "imagetestsupport.h"

#include "image/rasterimage.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(RasterImageCreate, NormalisesDepthAndComputesStrides) {
    const struct {
        LONG width;
        DWORD bits;
        WORD depth;
        DWORD entries;
        DWORD stride;
    } cases[] = {{3, 24, 24, 0, 12}, {10, 1, 1, 2, 4},   {5, 2, 4, 16, 4},  {33, 0, 1, 2, 8},
                 {7, 32, 24, 0, 24}, {9, 16, 24, 0, 28}, {5, 8, 8, 256, 8}, {9, 4, 4, 16, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.bits);
        CRasterImage image;
        BYTE* block = image.Create(c.width, 3, c.bits, FormatPng);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(image.BitCount(), c.depth);
        EXPECT_EQ(image.Header().biClrUsed, c.entries);
        EXPECT_EQ(image.Info().rowStride, c.stride);
        EXPECT_EQ(image.Header().biSizeImage, 3 * c.stride);
        EXPECT_EQ(image.Info().pixels, block + 40 + 4 * c.entries);
        EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatPng));
        EXPECT_EQ(std::memcmp(block, &image.Header(), 40), 0);
        for (DWORD i = 0; i < c.entries; ++i)
            EXPECT_TRUE(SameQuad(image.PaletteColor(i), Quad(0, 0, 0)));
        EXPECT_EQ(image.Palette() != nullptr, c.entries != 0);
    }
}

TEST(RasterImageCreate, RefusesImagesBeyondTheMemoryLimit) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(4, 4, 8, 0));
    const struct {
        LONG width;
        LONG height;
        DWORD bits;
    } refused[] = {{32768, 1, 1}, {1, 32768, 1},    {-1, 5, 8},
                   {5, -1, 8},    {8192, 8193, 24}, {16384, 16384, 8}};
    for (const auto& r : refused) {
        SCOPED_TRACE(testing::Message() << r.width << " x " << r.height);
        EXPECT_EQ(image.Create(r.width, r.height, r.bits, 0), nullptr);
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(image.LastError(), ImageError::TooLarge);
    }
    // 192 MiB of rows plus a 64 MiB alpha plane is exactly the limit.
    EXPECT_NE(image.Create(8192, 8192, 24, 0), nullptr);
    EXPECT_NE(image.Create(32767, 1, 24, 0), nullptr);
}

TEST(RasterImageCreate, EmptyImageHasNoPixelsToFallBackOn) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(0, 0, 8, 0));
    EXPECT_EQ(image.Header().biSizeImage, 0u);
    EXPECT_EQ(image.PixelIndex(0, 0), 0);
    EXPECT_TRUE(SameQuad(image.PixelColor(3, 3), Quad(0, 0, 0)));
    image.CreateAlpha();
    EXPECT_EQ(image.AlphaAt(0, 0), 0);
}

TEST(RasterImagePixels, SubBytePixelsUseTheirOwnBitsOnly) {
    CRasterImage nibbles;
    ASSERT_TRUE(nibbles.Create(3, 2, 4, 0));
    nibbles.SetPixelIndex(0, 1, 0xA);
    nibbles.SetPixelIndex(1, 1, 0x35); // only the low nibble counts
    nibbles.SetPixelIndex(2, 1, 0xC);
    const BYTE* row = nibbles.RowPointer(1);
    EXPECT_EQ(row[0], 0xA5);
    EXPECT_EQ(row[1], 0xC0);
    EXPECT_EQ(nibbles.PixelIndex(0, 1), 0xA);
    EXPECT_EQ(nibbles.PixelIndex(1, 1), 0x5);
    EXPECT_EQ(nibbles.PixelIndex(0, 0), 0);

    CRasterImage bits;
    ASSERT_TRUE(bits.Create(10, 1, 1, 0));
    bits.SetPixelIndex(0, 0, 1);
    bits.SetPixelIndex(9, 0, 3);
    bits.SetPixelIndex(3, 0, 1);
    bits.SetPixelIndex(3, 0, 0);
    EXPECT_EQ(bits.RowPointer(0)[0], 0x80);
    EXPECT_EQ(bits.RowPointer(0)[1], 0x40);
    EXPECT_EQ(bits.PixelIndex(9, 0), 1);
    EXPECT_EQ(bits.RowPointer(1), nullptr);
}

TEST(RasterImagePixels, ReadsOutsideTheImage) {
    CRasterImage rgb;
    ASSERT_TRUE(rgb.Create(2, 2, 24, 0));
    rgb.SetPixelColor(0, 0, Quad(1, 2, 3));
    rgb.CreateAlpha();
    rgb.SetAlphaAt(0, 0, 77);
    EXPECT_TRUE(SameQuad(rgb.PixelColor(-1, 0), Quad(1, 2, 3, 77)));
    EXPECT_TRUE(SameQuad(rgb.PixelColor(0, 0, false), Quad(1, 2, 3, 0)));
    rgb.SetTransparentIndex(0);
    rgb.SetTransparentColor(Quad(9, 8, 7));
    EXPECT_TRUE(SameQuad(rgb.PixelColor(5, 5), Quad(9, 8, 7)));

    CRasterImage indexed;
    ASSERT_TRUE(indexed.Create(2, 2, 8, 0));
    indexed.SetPixelIndex(0, 0, 4);
    indexed.SetPaletteColor(4, 40, 41, 42);
    indexed.SetPaletteColor(6, 60, 61, 62, 99);
    EXPECT_EQ(indexed.PixelIndex(2, 0), 4);
    indexed.SetTransparentIndex(6);
    EXPECT_EQ(indexed.PixelIndex(2, 0), 6);
    EXPECT_TRUE(SameQuad(indexed.PixelColor(-1, -1), Quad(62, 61, 60, 99)));
    EXPECT_TRUE(SameQuad(indexed.TransparentColor(), Quad(62, 61, 60, 99)));
}

TEST(RasterImagePalette, NearestIndexPrefersExactThenLowestAndCaches) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(1, 1, 4, 0));
    image.SetPaletteColor(3, 200, 100, 0);
    image.SetPaletteColor(7, 100, 200, 0);
    image.SetPaletteColor(9, 50, 60, 70);
    image.SetPaletteColor(12, 50, 60, 70);
    EXPECT_EQ(image.NearestIndex(Quad(70, 60, 50)), 9);
    // Equally far from entries 3 and 7, and far from everything else.
    EXPECT_EQ(image.NearestIndex(Quad(0, 150, 150)), 3);

    EXPECT_EQ(image.NearestIndex(Quad(0, 200, 100)), 7);
    // SetGrayPalette leaves the cache alone, so the same question gets the old answer.
    image.SetGrayPalette();
    EXPECT_EQ(image.NearestIndex(Quad(0, 200, 100)), 7);
    image.SetPaletteColor(15, 100, 200, 0);
    EXPECT_EQ(image.NearestIndex(Quad(0, 200, 100)), 15);
    EXPECT_EQ(image.NearestIndex(Quad(100, 100, 100)), 6);
}

TEST(RasterImagePalette, GreyPalettesAndTheirTest) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(1, 1, 4, 0));
    image.SetGrayPalette();
    EXPECT_TRUE(SameQuad(image.PaletteColor(15), Quad(255, 255, 255)));
    EXPECT_TRUE(SameQuad(image.PaletteColor(1), Quad(17, 17, 17)));
    EXPECT_FALSE(image.IsGrayScale());
    ASSERT_TRUE(image.Create(1, 1, 8, 0));
    image.SetGrayPalette();
    EXPECT_TRUE(image.IsGrayScale());
    image.SetPaletteColor(200, 200, 200, 201);
    EXPECT_FALSE(image.IsGrayScale());
    const BYTE triples[] = {1, 2, 3, 4, 5, 6};
    image.SetPaletteColor(1, 0, 0, 0, 44);
    image.SetPaletteRgb(triples, 2);
    EXPECT_TRUE(SameQuad(image.PaletteColor(1), Quad(6, 5, 4, 44)));
    EXPECT_TRUE(SameQuad(image.PaletteColor(256), Quad(0, 0, 0)));
}

TEST(RasterImageOwnership, TakeOverMovesEverythingAndEmptiesTheSource) {
    CRasterImage source(FormatPng);
    BYTE* block = source.Create(3, 2, 24, FormatPng);
    source.CreateAlpha();
    source.SetTransparentIndex(4);
    CRasterImage target;
    ASSERT_TRUE(target.Create(1, 1, 1, 0));
    EXPECT_TRUE(target.TakeOver(source));
    EXPECT_EQ(target.Dib(), block);
    EXPECT_NE(target.AlphaPlane(), nullptr);
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Info().transparentIndex, 4);
    EXPECT_EQ(target.Info().formatId, static_cast<DWORD>(FormatPng));

    EXPECT_FALSE(source.IsValid());
    EXPECT_EQ(source.AlphaPlane(), nullptr);
    const ImageInfo zeroInfo = {};
    const BITMAPINFOHEADER zeroHeader = {};
    EXPECT_EQ(std::memcmp(&source.Info(), &zeroInfo, sizeof zeroInfo), 0);
    EXPECT_EQ(std::memcmp(&source.Header(), &zeroHeader, sizeof zeroHeader), 0);
}

TEST(RasterImageOwnership, CopiesAreIndependent) {
    CRasterImage source;
    ASSERT_TRUE(source.Create(2, 2, 8, FormatBmp));
    source.SetPaletteColor(5, 1, 2, 3);
    source.SetPixelIndex(1, 1, 5);
    source.CreateAlpha();
    source.SetAlphaAt(1, 1, 10);

    CRasterImage copy(source);
    source.SetPixelIndex(1, 1, 6);
    source.SetAlphaAt(1, 1, 20);
    EXPECT_EQ(copy.PixelIndex(1, 1), 5);
    EXPECT_EQ(copy.AlphaAt(1, 1), 10);
    EXPECT_EQ(copy.Info().formatId, static_cast<DWORD>(FormatBmp));

    CRasterImage paletteOnly(source, false, false);
    EXPECT_TRUE(SameQuad(paletteOnly.PaletteColor(5), Quad(3, 2, 1)));
    EXPECT_EQ(paletteOnly.AlphaPlane(), nullptr);

    const CRasterImage& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.PixelIndex(1, 1), 5);

    CRasterImage settings;
    settings.CopySettingsFrom(source);
    EXPECT_EQ(settings.Info().pixels, nullptr);
    EXPECT_EQ(settings.Info().formatId, static_cast<DWORD>(FormatBmp));
    settings.SetFrameIndex(3);
    settings.CopySettingsFrom(copy);
    EXPECT_EQ(settings.Info().frameIndex, 0);
    settings.SetFrameIndex(5);
    copy.CopySettingsFrom(settings);
    EXPECT_EQ(copy.Info().frameIndex, 0);
    EXPECT_NE(copy.Info().pixels, nullptr);
}

TEST(RasterImageTransforms, FlipVerticalReversesRowsAndAlpha) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(2, 3, 24, 0));
    image.CreateAlpha();
    for (LONG y = 0; y < 3; ++y) {
        image.SetPixelColor(1, y, Quad(BYTE(y), BYTE(10 + y), BYTE(20 + y)));
        image.SetAlphaAt(0, y, BYTE(100 + y));
    }
    ASSERT_TRUE(image.FlipVertical());
    for (LONG y = 0; y < 3; ++y) {
        EXPECT_TRUE(
            SameQuad(image.PixelColor(1, y, false), Quad(BYTE(2 - y), BYTE(12 - y), BYTE(22 - y))));
        EXPECT_EQ(image.AlphaAt(0, y), 102 - y);
    }
    CRasterImage empty;
    EXPECT_FALSE(empty.FlipVertical());
}

TEST(RasterImageTransforms, InvertByKindOfImage) {
    CRasterImage rgb;
    ASSERT_TRUE(rgb.Create(1, 1, 24, 0));
    rgb.SetPixelColor(0, 0, Quad(0, 15, 255));
    rgb.SetTransparentColor(Quad(1, 2, 3, 4));
    ASSERT_TRUE(rgb.Invert());
    EXPECT_TRUE(SameQuad(rgb.PixelColor(0, 0, false), Quad(255, 240, 0, 4)));
    EXPECT_EQ(rgb.RowPointer(0)[3], 0xFF); // padding too
    EXPECT_TRUE(SameQuad(rgb.Info().transparentColor, Quad(254, 253, 252, 4)));

    CRasterImage colours;
    ASSERT_TRUE(colours.Create(2, 1, 4, 0));
    colours.SetPaletteColor(1, 10, 20, 30, 40);
    colours.SetPixelIndex(0, 0, 1);
    ASSERT_TRUE(colours.Invert());
    EXPECT_EQ(colours.PixelIndex(0, 0), 1);
    EXPECT_TRUE(SameQuad(colours.PaletteColor(1), Quad(225, 235, 245, 40)));

    CRasterImage grey;
    ASSERT_TRUE(grey.Create(2, 1, 8, 0));
    grey.SetGrayPalette();
    grey.SetPixelIndex(0, 0, 3);
    ASSERT_TRUE(grey.Invert());
    EXPECT_EQ(grey.PixelIndex(0, 0), 252);
    EXPECT_EQ(grey.PixelIndex(1, 0), 255);
    EXPECT_TRUE(SameQuad(grey.PaletteColor(3), Quad(3, 3, 3)));
}

TEST(RasterImageTransforms, ResolutionInPelsPerMetre) {
    CRasterImage image;
    EXPECT_EQ(image.Header().biXPelsPerMeter, 3780);
    EXPECT_EQ(image.Info().dpiX, 96);
    const struct {
        LONG dpi;
        LONG pels;
    } cases[] = {{96, 3780}, {300, 11811}, {1, 39}, {0, 0}, {-96, -3780}, {72, 2835}};
    for (const auto& c : cases) {
        image.SetDpiX(c.dpi);
        image.SetDpiY(c.dpi + 1);
        EXPECT_EQ(image.Header().biXPelsPerMeter, c.pels) << c.dpi;
        EXPECT_EQ(image.Info().dpiX, c.dpi);
        EXPECT_EQ(image.Info().dpiY, c.dpi + 1);
    }
    image.SetDpiX(0x7FFFFFFF);
    EXPECT_EQ(image.Header().biXPelsPerMeter, 0x7FFFFFFF);
}
