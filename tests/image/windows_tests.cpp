#include "imagetestsupport.h"

#include "image/rasterimage.h"

#include <gtest/gtest.h>

TEST(WindowsSources, ResourceBytesDecodeInPlace) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(77), "PNG");
    ASSERT_NE(resource, nullptr);
    CRasterImage image;
    ASSERT_TRUE(image.LoadFromResource(resource, FormatUnknown, module))
        << ImageErrorText(image.LastError());
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(Bgr(image, 1, 0), "4 5 6");

    CRasterImage missing;
    EXPECT_FALSE(missing.LoadFromResource(FindResourceA(module, MAKEINTRESOURCEA(78), "PNG"),
                                          FormatPng, module));
    EXPECT_EQ(missing.LastError(), ImageError::ResourceNotLoaded);
}

TEST(WindowsSources, BitmapBecomesABottomUpImage) {
    // Device-dependent bitmap rows run top-down: (1 2 3) (4 5 6) over (7 8 9) (10 11 12).
    const BYTE bits[] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, bits);
    ASSERT_NE(bitmap, nullptr);
    CRasterImage image;
    ASSERT_TRUE(image.CreateFromBitmap(bitmap)) << ImageErrorText(image.LastError());
    DeleteObject(bitmap);
    EXPECT_EQ(image.BitCount(), 24);
    EXPECT_EQ(Bgr(image, 0, 1), "1 2 3");
    EXPECT_EQ(Bgr(image, 1, 0), "10 11 12");
    EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatUnknown));

    EXPECT_FALSE(image.CreateFromBitmap(nullptr));
    EXPECT_FALSE(image.IsValid());
}
