#include "fixtures.h"
#include "imagetestsupport.h"

#include "image/rasterimage.h"

#include <gtest/gtest.h>

TEST(IconMasks, FullMaskKeysIndexZeroAndInvertsThePalette) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, IconFile(FullyMaskedIcon()), FormatIco));
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.BitCount(), 4);
    EXPECT_EQ(image.Info().transparentIndex, 0);
    EXPECT_EQ(image.PixelIndex(3, 1), 7);
    const RGBQUAD entry = image.PaletteColor(1);
    EXPECT_EQ(entry.rgbBlue, 255 - 16);
    EXPECT_EQ(entry.rgbGreen, 255 - 239);
    EXPECT_EQ(entry.rgbRed, 255 - 8);
    EXPECT_EQ(image.AlphaPlane(), nullptr);
    EXPECT_EQ(image.Info().frameCount, 1);
    EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatIco));
}

TEST(IconMasks, MaskedPixelsTakeTheLowestFreeIndex) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, IconFile(MaskedIcon8()), FormatIco));
    EXPECT_EQ(image.Info().transparentIndex, 3);
    EXPECT_EQ(image.PixelIndex(0, 0), 3);
    EXPECT_EQ(image.PixelIndex(3, 1), 3);
    EXPECT_EQ(image.PixelIndex(1, 0), 1);
    EXPECT_EQ(image.PixelIndex(3, 0), 1);
    EXPECT_EQ(image.PixelIndex(0, 1), 2);
    EXPECT_EQ(image.AlphaPlane(), nullptr);

    IconPicture zeroFree = MaskedIcon8();
    zeroFree.pixels = {1, 1, 2, 1, 2, 2, 1, 9};
    CRasterImage keyZero;
    ASSERT_TRUE(DecodeBytes(keyZero, IconFile(zeroFree), FormatIco));
    EXPECT_EQ(keyZero.Info().transparentIndex, 0);
    EXPECT_EQ(keyZero.PixelIndex(3, 1), 0);
    EXPECT_EQ(keyZero.PixelIndex(2, 1), 1);

    // With both indices of a 1-bit icon in use the mask stays an alpha plane.
    IconPicture full;
    full.width = 2;
    full.height = 1;
    full.bitCount = 1;
    full.palette = Bytes(8, 0x40);
    full.pixels = {0x40, 0, 0, 0};
    full.mask = {0x80, 0, 0, 0};
    CRasterImage allUsed;
    ASSERT_TRUE(DecodeBytes(allUsed, IconFile(full), FormatIco));
    EXPECT_EQ(allUsed.Info().transparentIndex, -1);
    ASSERT_NE(allUsed.AlphaPlane(), nullptr);
    EXPECT_EQ(allUsed.AlphaAt(0, 0), 0);
    EXPECT_EQ(allUsed.AlphaAt(1, 0), 255);

    // No mask bit set: no plane, no key.
    full.mask = {0, 0, 0, 0};
    CRasterImage unmasked;
    ASSERT_TRUE(DecodeBytes(unmasked, IconFile(full), FormatIco));
    EXPECT_EQ(unmasked.AlphaPlane(), nullptr);
    EXPECT_EQ(unmasked.Info().transparentIndex, -1);
}

TEST(IconMasks, ThirtyTwoBitIconsKeepTheirAlpha) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, IconFile(AlphaIcon32()), FormatIco));
    EXPECT_EQ(image.BitCount(), 24);
    ASSERT_NE(image.AlphaPlane(), nullptr);
    EXPECT_EQ(image.AlphaAt(1, 0), 0);
    EXPECT_EQ(image.AlphaAt(0, 0), 5);
    EXPECT_EQ(image.AlphaAt(2, 1), 205);
    const RGBQUAD pixel = image.PixelColor(2, 1, false);
    EXPECT_EQ(pixel.rgbBlue, 20);
    EXPECT_EQ(pixel.rgbGreen, 20);
    EXPECT_EQ(pixel.rgbRed, 99);
    EXPECT_EQ(image.Info().transparentIndex, -1);
}

TEST(IconMasks, OneColourUnderTheMaskBecomesTheKeyColour) {
    IconPicture icon;
    icon.width = 2;
    icon.height = 2;
    icon.bitCount = 24;
    icon.pixels = {255, 0, 255, 1, 2, 3, 0, 0, 255, 0, 255, 255, 0, 255, 0, 0};
    icon.mask = {0x80, 0, 0, 0, 0xC0, 0, 0, 0};
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, IconFile(icon), FormatIco));
    EXPECT_EQ(image.Info().transparentIndex, 0);
    EXPECT_EQ(image.Info().transparentColor.rgbBlue, 255);
    EXPECT_EQ(image.Info().transparentColor.rgbGreen, 0);
    EXPECT_EQ(image.Info().transparentColor.rgbRed, 255);
    EXPECT_EQ(image.AlphaPlane(), nullptr);

    // Two different colours under the mask: the alpha plane stays.
    icon.pixels[11] = 1;
    CRasterImage mixed;
    ASSERT_TRUE(DecodeBytes(mixed, IconFile(icon), FormatIco));
    EXPECT_EQ(mixed.Info().transparentIndex, -1);
    ASSERT_NE(mixed.AlphaPlane(), nullptr);
    EXPECT_EQ(mixed.AlphaAt(1, 1), 0);
    EXPECT_EQ(mixed.AlphaAt(1, 0), 255);
}

TEST(IconDirectory, BadDirectoriesFailSilently) {
    const Bytes good = IconFile(MaskedIcon8());
    Bytes noEntries = good;
    noEntries[4] = 0;
    Bytes reserved = good;
    reserved[0] = 1;
    Bytes cursor = good;
    cursor[2] = 2;
    Bytes badType = good;
    badType[2] = 3;
    Bytes manyEntries = good;
    manyEntries[5] = 0x10;
    Bytes farOffset = good;
    farOffset[21] = 0x40;

    CRasterImage image;
    EXPECT_TRUE(DecodeBytes(image, cursor, FormatIco));
    for (const Bytes* file : {&noEntries, &reserved, &badType, &manyEntries, &farOffset}) {
        CRasterImage failed;
        EXPECT_FALSE(DecodeBytes(failed, *file, FormatIco));
        EXPECT_EQ(failed.LastError(), ImageError::None);
        EXPECT_FALSE(failed.IsValid());
    }

    // The caller's frame index reaches the decoder, and the entry count comes back.
    CRasterImage second;
    second.SetFrameIndex(1);
    EXPECT_FALSE(DecodeBytes(second, good, FormatIco));
    EXPECT_EQ(second.Info().frameCount, 1);
    second.SetFrameIndex(-1);
    EXPECT_FALSE(DecodeBytes(second, good, FormatIco));
}

TEST(IconDirectory, ShortMaskLeavesTheColoursAlone) {
    Bytes file = IconFile(MaskedIcon8());
    file.resize(file.size() - 3);
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, file, FormatIco));
    EXPECT_EQ(image.PixelIndex(0, 0), 0);
    EXPECT_EQ(image.Info().transparentIndex, -1);
    EXPECT_EQ(image.AlphaPlane(), nullptr);
}
