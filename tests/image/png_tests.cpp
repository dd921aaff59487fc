#include "fixtures.h"
#include "imagetestsupport.h"

#include "image/memorystream.h"
#include "image/pngcodec.h"
#include "image/pngmemorybudget.h"
#include "image/rasterimage.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

struct Pixel {
    int blue;
    int green;
    int red;
    int alpha; // -1: the image has no alpha plane
};

bool KeepsAlpha(const PngPicture& p) {
    return (p.colorType & PNG_COLOR_MASK_ALPHA) || p.hasKey;
}

// What the decoder must deliver for one pixel of a pattern picture: the colour of its
// 8-bit RGBA twin, and the twin's alpha when the picture has an alpha channel or a
// colour key (palette opacities stay in the palette).
Pixel Expected(const PngPicture& p, const PngPicture& twin, int x, int y) {
    return {twin.Sample(x, y, 2), twin.Sample(x, y, 1), twin.Sample(x, y, 0),
            KeepsAlpha(p) ? twin.Sample(x, y, 3) : -1};
}

WORD ExpectedDepth(const PngPicture& p) {
    if (KeepsAlpha(p) || p.colorType == PNG_COLOR_TYPE_RGB)
        return 24;
    return static_cast<WORD>(p.bitDepth == 16 ? 8 : p.bitDepth == 2 ? 4 : p.bitDepth);
}

// Compares every pixel; the file's first row must be the top (last) storage row.
void ExpectPicture(CRasterImage& image, const PngPicture& p) {
    ASSERT_EQ(image.Width(), p.width);
    ASSERT_EQ(image.Height(), p.height);
    EXPECT_EQ(image.BitCount(), ExpectedDepth(p));
    const PngPicture twin = Rgba8Twin(p);
    int mismatches = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const Pixel want = Expected(p, twin, x, y);
            const LONG row = p.height - 1 - y;
            const RGBQUAD got = image.PixelColor(x, row, false);
            const int alpha = image.AlphaPlane() ? image.AlphaAt(x, row) : -1;
            if (got.rgbBlue == want.blue && got.rgbGreen == want.green && got.rgbRed == want.red &&
                alpha == want.alpha)
                continue;
            if (mismatches++ == 0)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << int(got.rgbBlue) << " "
                              << int(got.rgbGreen) << " " << int(got.rgbRed) << " / " << alpha
                              << ", expected " << want.blue << " " << want.green << " " << want.red
                              << " / " << want.alpha;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

bool SameImage(const CRasterImage& a, const CRasterImage& b) {
    const BITMAPINFOHEADER& header = a.Header();
    const size_t dibBytes = 40 + 4 * header.biClrUsed + header.biSizeImage;
    if (std::memcmp(&header, &b.Header(), sizeof header) != 0 ||
        std::memcmp(a.Dib(), b.Dib(), dibBytes) != 0)
        return false;
    if (!a.AlphaPlane() || !b.AlphaPlane())
        return !a.AlphaPlane() && !b.AlphaPlane();
    return std::memcmp(a.AlphaPlane(), b.AlphaPlane(), size_t(a.Width()) * a.Height()) == 0;
}

CRasterImage DecodePng(const PngPicture& picture) {
    CRasterImage image;
    EXPECT_TRUE(DecodeBytes(image, WritePng(picture), FormatPng))
        << ImageErrorText(image.LastError());
    return image;
}

void AppendChunk(Bytes& file, const char* type, const Bytes& data) {
    ByteWriter chunk;
    chunk.U8(data.size() >> 24).U8(data.size() >> 16).U8(data.size() >> 8).U8(data.size());
    const size_t typeStart = chunk.bytes.size();
    chunk.bytes.insert(chunk.bytes.end(), type, type + 4);
    chunk.Append(data);
    const uLong crc = crc32(0, &chunk.bytes[typeStart], static_cast<uInt>(4 + data.size()));
    chunk.U8(crc >> 24).U8(crc >> 16).U8(crc >> 8).U8(crc);
    file.insert(file.end(), chunk.bytes.begin(), chunk.bytes.end());
}

std::vector<NamedFixture> FilesIn(const std::filesystem::path& folder) {
    std::vector<NamedFixture> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files.push_back(
            {entry.path().filename().string(),
             Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
    }
    return files;
}

} // namespace

TEST(PngDecoding, EveryColourTypeAndDepthInterlacedOrNot) {
    const struct {
        int colorType;
        std::vector<int> depths;
        bool keyed;
    } kinds[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, false},
                 {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}, false},
                 {PNG_COLOR_TYPE_RGB, {8, 16}, false},
                 {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}, false},
                 {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}, false},
                 {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, true},
                 {PNG_COLOR_TYPE_RGB, {8, 16}, true}};
    for (const auto& kind : kinds) {
        for (int depth : kind.depths) {
            SCOPED_TRACE(testing::Message() << "colour type " << kind.colorType << ", depth "
                                            << depth << (kind.keyed ? ", keyed" : ""));
            PngPicture plain = PatternPng(kind.colorType, depth, false);
            PngPicture interlaced = PatternPng(kind.colorType, depth, true);
            if (kind.keyed) {
                KeyOnPixel(plain, 1, 1);
                KeyOnPixel(interlaced, 1, 1);
            }
            CRasterImage image = DecodePng(plain);
            ExpectPicture(image, plain);
            EXPECT_EQ(image.Info().formatId, static_cast<DWORD>(FormatPng));
            EXPECT_EQ(image.Info().transparentIndex, -1);
            EXPECT_TRUE(SameImage(image, DecodePng(interlaced)));
        }
    }
}

TEST(PngDecoding, TwoBitGreyBecomesFourBitWithFourGreys) {
    CRasterImage image = DecodePng(PatternPng(PNG_COLOR_TYPE_GRAY, 2, false));
    const BYTE greys[] = {0, 85, 170, 255};
    for (BYTE i = 0; i < 4; ++i) {
        const RGBQUAD entry = image.PaletteColor(i);
        EXPECT_EQ(entry.rgbBlue, greys[i]);
        EXPECT_EQ(entry.rgbRed, greys[i]);
        EXPECT_EQ(entry.rgbReserved, 0);
    }
    EXPECT_EQ(image.PaletteColor(4).rgbRed, 0);
}

TEST(PngDecoding, PaletteTransparency) {
    PngPicture picture = PatternPng(PNG_COLOR_TYPE_PALETTE, 8, false);
    picture.paletteAlpha = {0};
    CRasterImage keyed = DecodePng(picture);
    EXPECT_EQ(keyed.Info().transparentIndex, 0);
    EXPECT_FALSE(keyed.Info().alphaPaletteEnabled);
    EXPECT_EQ(keyed.PaletteColor(1).rgbReserved, 0);

    picture.paletteAlpha = {0, 128, 255};
    CRasterImage blended = DecodePng(picture);
    EXPECT_EQ(blended.Info().transparentIndex, -1);
    EXPECT_TRUE(blended.Info().alphaPaletteEnabled);
    EXPECT_EQ(blended.PaletteColor(0).rgbReserved, 0);
    EXPECT_EQ(blended.PaletteColor(1).rgbReserved, 128);
    EXPECT_EQ(blended.PaletteColor(2).rgbReserved, 255);
    EXPECT_EQ(blended.PaletteColor(3).rgbReserved, 255);
    EXPECT_EQ(blended.PaletteColor(255).rgbReserved, 255);
    EXPECT_EQ(blended.PaletteColor(1).rgbRed, picture.palette[3]);
    // A band cut out of the picture keeps the opacities, as a skin's button does.
    CRasterImage band;
    ASSERT_TRUE(blended.Crop(0, 2, picture.width, 4, &band));
    EXPECT_TRUE(band.Info().alphaPaletteEnabled);
    EXPECT_EQ(band.PaletteColor(1).rgbReserved, 128);

    picture.paletteAlpha = {100};
    CRasterImage partial = DecodePng(picture);
    EXPECT_EQ(partial.Info().transparentIndex, -1);
    EXPECT_TRUE(partial.Info().alphaPaletteEnabled);
    EXPECT_EQ(partial.PaletteColor(0).rgbReserved, 100);
    EXPECT_EQ(partial.PaletteColor(9).rgbReserved, 255);
}

// A keyed pixel keeps its own colour under alpha 0, also when the file names a
// background, which then only becomes the key colour.
TEST(PngDecoding, ColourKeyBecomesAlphaNotTheBackground) {
    PngPicture picture = PatternPng(PNG_COLOR_TYPE_RGB, 8, false);
    KeyOnPixel(picture, 4, 2);
    picture.hasBackground = true;
    picture.background[0] = 0x21;
    picture.background[1] = 0x43;
    picture.background[2] = 0x65;
    CRasterImage image = DecodePng(picture);
    ASSERT_NE(image.AlphaPlane(), nullptr);
    const LONG row = picture.height - 1 - 2;
    const RGBQUAD keyed = image.PixelColor(4, row, false);
    EXPECT_EQ(keyed.rgbRed, picture.Sample(4, 2, 0));
    EXPECT_EQ(keyed.rgbBlue, picture.Sample(4, 2, 2));
    EXPECT_EQ(image.AlphaAt(4, row), 0);
    EXPECT_EQ(image.AlphaAt(5, row), 255);
    EXPECT_EQ(image.Info().transparentColor.rgbRed, 0x21);
    EXPECT_EQ(image.Info().transparentColor.rgbBlue, 0x65);
    EXPECT_EQ(image.Info().transparentIndex, -1);
}

TEST(PngDecoding, ResolutionAndBackgroundChunks) {
    PngPicture picture = PatternPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, false);
    picture.hasPhys = true;
    const struct {
        uint32_t x;
        uint32_t y;
        int unit;
        LONG dpiX;
        LONG dpiY;
    } cases[] = {{3780, 11811, 1, 96, 300}, {1, 2, 0, 1, 2}, {5000, 5000, 7, 96, 96}};
    for (const auto& c : cases) {
        picture.physX = c.x;
        picture.physY = c.y;
        picture.physUnit = c.unit;
        CRasterImage image = DecodePng(picture);
        EXPECT_EQ(image.Info().dpiX, c.dpiX);
        EXPECT_EQ(image.Info().dpiY, c.dpiY);
    }
    CRasterImage plain = DecodePng(PatternPng(PNG_COLOR_TYPE_RGB, 8, false));
    EXPECT_EQ(plain.Info().dpiX, 96);
    EXPECT_EQ(plain.Header().biXPelsPerMeter, 3780);

    // Pictures that keep their alpha take the background only as the key colour, from
    // the low bytes of its samples.
    picture.hasBackground = true;
    picture.background[0] = 0x12;
    picture.background[1] = 0x56;
    picture.background[2] = 0x78;
    CRasterImage image = DecodePng(picture);
    EXPECT_EQ(image.Info().transparentColor.rgbRed, 0x12);
    EXPECT_EQ(image.Info().transparentColor.rgbGreen, 0x56);
    EXPECT_EQ(image.Info().transparentColor.rgbBlue, 0x78);
    ExpectPicture(image, picture);

    PngPicture grey = PatternPng(PNG_COLOR_TYPE_GRAY_ALPHA, 16, false);
    grey.hasBackground = true;
    grey.background[0] = 0x1234;
    CRasterImage greyImage = DecodePng(grey);
    EXPECT_EQ(greyImage.Info().transparentColor.rgbRed, 0x34);
    EXPECT_EQ(greyImage.Info().transparentColor.rgbBlue, 0x34);
    ExpectPicture(greyImage, grey);
}

TEST(PngDecoding, FailuresLeaveTheImageAsItWas) {
    const Bytes whole = WritePng(PatternPng(PNG_COLOR_TYPE_RGB, 8, true));
    // Interlaced with alpha is gathered in a buffer of its own: a cut file must not leak it.
    const Bytes withAlpha = WritePng(PatternPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, true));
    CRasterImage image;
    ASSERT_TRUE(DecodeBytes(image, WritePng(PatternPng(PNG_COLOR_TYPE_GRAY, 4, false)), FormatPng));
    const BYTE* before = image.Dib();
    for (const Bytes* file : {&whole, &withAlpha}) {
        for (size_t length : {file->size() - 13, file->size() / 2, size_t(40), size_t(8)}) {
            const Bytes cut(file->begin(), file->begin() + static_cast<long>(length));
            EXPECT_FALSE(DecodeBytes(image, cut, FormatPng)) << length;
            EXPECT_NE(image.LastError(), ImageError::None);
            EXPECT_EQ(image.Dib(), before);
            EXPECT_EQ(image.BitCount(), 4);
        }
    }
    EXPECT_FALSE(DecodeBytes(image, Bytes(whole.begin(), whole.begin() + 20), FormatPng));
    EXPECT_EQ(image.LastError(), ImageError::PngReadError);

    Bytes corrupt = whole;
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_FALSE(DecodeBytes(image, corrupt, FormatPng));
    EXPECT_EQ(image.Dib(), before);
}

// What the tools tell a skin author: no PNG at all, a cut file, or data libpng refuses.
TEST(PngDecoding, EachFailureNamesItsReason) {
    const Bytes whole = WritePng(PatternPng(PNG_COLOR_TYPE_RGB, 8, false));
    Bytes renamed = whole;
    renamed[1] = 'Q';
    Bytes corrupt = whole;
    corrupt[corrupt.size() / 2] ^= 0x55;
    const struct {
        const char* name;
        Bytes bytes;
        ImageError error;
    } cases[] = {
        {"a bitmap", BareDib8(), ImageError::NotPng},
        {"a changed signature", renamed, ImageError::NotPng},
        {"a cut signature", Bytes(whole.begin(), whole.begin() + 5), ImageError::PngReadError},
        {"a cut header", Bytes(whole.begin(), whole.begin() + 20), ImageError::PngReadError},
        {"a damaged chunk", corrupt, ImageError::PngRejected}};
    for (const auto& c : cases) {
        CRasterImage image;
        EXPECT_FALSE(DecodeBytes(image, c.bytes, FormatPng)) << c.name;
        EXPECT_EQ(image.LastError(), c.error) << c.name;
    }
}

TEST(PngDecoding, AHugeClaimFailsBeforeAnyPixels) {
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const Bytes header = {0, 0, 0x75, 0x30, 0, 0, 0x75, 0x30, 8, PNG_COLOR_TYPE_RGB, 0, 0, 0};
    AppendChunk(file, "IHDR", header);
    AppendChunk(file, "IDAT", {});
    CRasterImage image;
    EXPECT_FALSE(DecodeBytes(image, file, FormatPng));
    EXPECT_EQ(image.LastError(), ImageError::TooLarge);
}

// The inputs kept from fuzzing and by hand, among them files whose metadata chunks claim
// up to 1.75 GiB, which libpng allocated and cleared before noticing the file was cut.
TEST(PngDecoding, KeptRegressionInputsStayWithinLibpngsBudget) {
    const std::vector<NamedFixture> files = FilesIn(QIMAGE_PNG_REGRESSIONS);
    ASSERT_GE(files.size(), 7u);
    for (const NamedFixture& file : files) {
        SCOPED_TRACE(file.name);
        MemoryStream stream(file.bytes.data(), static_cast<LONG>(file.bytes.size()));
        CPngMemoryBudget budget;
        PngCodec codec;
        codec.DecodeFrom(stream, budget);
        EXPECT_LE(budget.LargestRequest(), budget.Limit());
        EXPECT_EQ(budget.InUse(), 0u);
    }
}

// libpng reports an allocation it is refused as an error, and an error with nowhere to
// jump back to aborts the process: a budget that runs out at any point of a decode must
// fail it cleanly, or load the picture without what it could not keep.
TEST(PngDecoding, ABudgetThatRunsOutAnywhereFailsTheDecodeCleanly) {
    const Bytes file = WritePng(PatternPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, false));
    const auto decode = [&](CPngMemoryBudget& budget) {
        MemoryStream stream(file.data(), static_cast<LONG>(file.size()));
        PngCodec codec;
        return codec.DecodeFrom(stream, budget);
    };
    CPngMemoryBudget enough;
    ASSERT_TRUE(decode(enough));
    unsigned failed = 0;
    for (size_t limit = 0; limit < enough.Peak(); limit += 4) {
        CPngMemoryBudget budget(limit);
        failed += !decode(budget);
        EXPECT_EQ(budget.InUse(), 0u) << limit;
    }
    EXPECT_GT(failed, 0u);
}

// Metadata larger than libpng may hold is passed over, and the picture still loads.
TEST(PngDecoding, OversizedMetadataIsSkippedNotRead) {
    const PngPicture picture = PatternPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, false);
    const Bytes plain = WritePng(picture);
    const size_t afterHeader = 8 + 12 + 13;
    Bytes file(plain.begin(), plain.begin() + afterHeader);
    Bytes comment = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    comment.resize(comment.size() + (9u << 20), 'x');
    AppendChunk(file, "tEXt", comment);
    file.insert(file.end(), plain.begin() + afterHeader, plain.end());
    MemoryStream stream(file.data(), static_cast<LONG>(file.size()));
    CPngMemoryBudget budget;
    PngCodec codec;
    ASSERT_TRUE(codec.DecodeFrom(stream, budget)) << ImageErrorText(codec.LastError());
    ExpectPicture(codec, picture);
    EXPECT_LT(budget.LargestRequest(), size_t{1} << 20);
    EXPECT_EQ(budget.InUse(), 0u);
}
