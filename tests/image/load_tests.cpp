#include "fixtures.h"
#include "imagetestsupport.h"

#include "image/memorystream.h"
#include "image/rasterimage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

void WriteFile(const char* path, const Bytes& bytes) {
    FILE* file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace

TEST(Decode, UnknownFormatFindsEachDecoder) {
    const struct {
        Bytes bytes;
        ImageFormat format;
    } cases[] = {{BareDib8(), FormatBmp},
                 {IconFile(MaskedIcon8()), FormatIco},
                 {WritePng(PatternPng(PNG_COLOR_TYPE_RGB, 8, false)), FormatPng}};
    for (const auto& c : cases) {
        CRasterImage image;
        ASSERT_TRUE(DecodeBytes(image, c.bytes, FormatUnknown)) << c.format;
        EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(c.format));
    }
    // From the middle of a stream, every attempt starts at the same place.
    Bytes padded(5, 0xEE);
    const Bytes png = WritePng(PatternPng(PNG_COLOR_TYPE_RGB, 8, false));
    padded.insert(padded.end(), png.begin(), png.end());
    MemoryStream stream(padded.data(), static_cast<LONG>(padded.size()));
    ASSERT_TRUE(stream.Seek(5, 0));
    CRasterImage image;
    EXPECT_TRUE(image.Decode(stream, FormatUnknown)) << ImageErrorText(image.LastError());
}

TEST(Decode, FailuresReportAndKeepThePreviousPicture) {
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, BareDib8(), FormatBmp));
    const BYTE* before = image.Dib();
    const Bytes garbage(64, 0x42);
    EXPECT_FALSE(DecodeBytes(image, garbage, FormatUnknown));
    EXPECT_EQ(image.LastError(), ImageError::UnknownFormat);
    EXPECT_FALSE(DecodeBytes(image, BareDib8(), 4));
    EXPECT_EQ(image.LastError(), ImageError::UnknownFormat);
    EXPECT_FALSE(DecodeBytes(image, garbage, FormatBmp));
    EXPECT_EQ(image.LastError(), ImageError::BmpInfo);
    EXPECT_FALSE(DecodeBytes(image, garbage, FormatPng));
    EXPECT_NE(image.LastError(), ImageError::None);
    EXPECT_EQ(image.Dib(), before);
    EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatBmp));
    EXPECT_EQ(image.Width(), 3);
}

TEST(LoadFromFile, AutomaticDetectionAndTheKeptMessage) {
    WriteFile("load-bitmap.png", BareDib8());
    CRasterImage image;
    ASSERT_TRUE(image.LoadFromFile("load-bitmap.png", FormatPng));
    EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatBmp));

    WriteFile("load-garbage.png", Bytes(64, 0x42));
    EXPECT_FALSE(image.LoadFromFile("load-garbage.png", FormatPng));
    const ImageError pngError = image.LastError();
    EXPECT_NE(pngError, ImageError::None);
    EXPECT_NE(pngError, ImageError::UnknownFormat);
    EXPECT_FALSE(image.LoadFromFile("load-garbage.png", FormatUnknown));
    EXPECT_EQ(image.LastError(), ImageError::UnknownFormat);
    EXPECT_FALSE(image.LoadFromFile("load-garbage.png", 9));
    EXPECT_EQ(image.LastError(), ImageError::UnknownFormat);
    EXPECT_TRUE(image.IsValid());

    const BYTE* before = image.Dib();
    EXPECT_FALSE(image.LoadFromFile("no-such-picture.png", FormatPng));
    EXPECT_FALSE(image.LoadFromFile("no-such-picture.png", FormatUnknown));
    EXPECT_EQ(image.LastError(), ImageError::UnknownFormat);
    EXPECT_EQ(image.Dib(), before);
    std::remove("load-bitmap.png");
    std::remove("load-garbage.png");
}

TEST(LoadFromFile, DecodeStdioLeavesTheFileOpen) {
    WriteFile("load-icon.ico", IconFile(MaskedIcon8()));
    FILE* file = std::fopen("load-icon.ico", "rb");
    ASSERT_NE(file, nullptr);
    CRasterImage image;
    EXPECT_TRUE(image.DecodeStdio(file, FormatIco));
    EXPECT_EQ(std::fseek(file, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(file), 0);
    EXPECT_EQ(std::fclose(file), 0);
    std::remove("load-icon.ico");
}

TEST(ImageErrors, EveryCodeHasAMessageOfItsOwn) {
    std::set<std::string> texts;
    for (int code = 1; code < static_cast<int>(ImageError::Count); ++code) {
        const std::string text = ImageErrorText(static_cast<ImageError>(code));
        EXPECT_NE(text, "") << code;
        EXPECT_TRUE(texts.insert(text).second) << text;
    }
    EXPECT_STREQ(ImageErrorText(ImageError::None), "");
    EXPECT_STREQ(ImageErrorText(ImageError::Count), "");
}
