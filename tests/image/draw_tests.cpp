#include "image/rasterimage.h"

#include "fixtures.h"
#include "imagetestsupport.h"
#include "tests/host/canvas.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

void ClipTo(const CCanvas& canvas, RECT rect) {
    HRGN region = CreateRectRgnIndirect(&rect);
    ExtSelectClipRgn(canvas.Dc(), region, RGN_COPY);
    DeleteObject(region);
}

RECT ClipBoxOf(const CCanvas& canvas) {
    RECT box = {};
    GetClipBox(canvas.Dc(), &box);
    return box;
}

// What a draw must leave on the canvas, worked out pixel by pixel through the image's
// accessors; `clip` is the clip box the draw sees.
std::vector<COLORREF> ExpectedDraw(CRasterImage& image, const CCanvas& canvas, LONG x, LONG y,
                                   LONG width, LONG height, RECT clip) {
    std::vector<COLORREF> pixels = canvas.Pixels();
    const LONG w = image.Width();
    const LONG h = image.Height();
    width = width < 0 ? w : width;
    height = height < 0 ? h : height;
    const LONG left = std::min(clip.right, std::max(clip.left, x));
    const LONG top = std::min(clip.bottom, std::max(clip.top, y));
    const LONG right = std::max(clip.left, std::min(clip.right, x + width));
    const LONG bottom = std::max(clip.top, std::min(clip.bottom, y + height));
    const ImageInfo& info = image.Info();
    const bool palette = image.BitCount() < 24;
    const bool blend =
        info.transparentIndex != -1 || image.AlphaPlane() || info.alphaPaletteEnabled;
    const bool natural = width == w && height == h;
    for (LONG py = top; py < bottom; ++py) {
        for (LONG px = left; px < right; ++px) {
            const LONG i = px - left;
            const LONG j = bottom - 1 - py;
            LONG sx = left - x + i;
            LONG sy = h - bottom + y + j;
            if (!natural) {
                const float fx = static_cast<float>(w) / static_cast<float>(width);
                const float fy = static_cast<float>(h) / static_cast<float>(height);
                const float column = static_cast<float>(i + left - x) * fx;
                const float extent = static_cast<float>(bottom - y - j) * fy;
                sx = static_cast<LONG>(std::floor(column));
                sy = std::max<LONG>(0, h - static_cast<LONG>(std::ceil(extent)));
            }
            const BYTE index = image.PixelIndex(sx, sy);
            const RGBQUAD entry = image.PaletteColor(index);
            RGBQUAD color = palette ? entry : image.PixelColor(sx, sy, false);
            color.rgbReserved = 0;
            COLORREF& out = pixels[py * canvas.Width() + px];
            if (!blend) {
                out = ColorRefOf(color);
                continue;
            }
            int a = image.AlphaPlane() ? image.AlphaAt(sx, sy) : 255;
            if (palette && info.alphaPaletteEnabled)
                a = a * (entry.rgbReserved + 1) / 256;
            const RGBQUAD key = image.TransparentColor();
            const bool keyed = info.transparentIndex != -1 &&
                               (palette ? index == info.transparentIndex : SameQuad(color, key));
            if (keyed || a == 0)
                continue;
            if (a == 255) {
                out = ColorRefOf(color);
                continue;
            }
            const int under[] = {GetRValue(out), GetGValue(out), GetBValue(out)};
            const int over[] = {color.rgbRed, color.rgbGreen, color.rgbBlue};
            int mixed[3];
            for (int c = 0; c < 3; ++c)
                mixed[c] = (over[c] * a + under[c] * (255 - a)) / 256;
            out = RGB(mixed[0], mixed[1], mixed[2]);
        }
    }
    return pixels;
}

// Palette opacities are set only by the PNG decoder; tests switch them on directly.
class TestImage : public CRasterImage {
public:
    explicit TestImage(CRasterImage source) { TakeOver(source); }
    void EnablePaletteOpacity() { info.alphaPaletteEnabled = true; }
};

// A palette PNG whose entries 0, 1 and 2 have opacities 0, 128 and 255.
CRasterImage PaletteOpacityImage() {
    PngPicture picture;
    picture.width = 3;
    picture.height = 2;
    picture.colorType = 3;
    picture.samples = {0, 1, 2, 2, 1, 0};
    picture.palette = {200, 10, 20, 0, 0, 0, 30, 40, 250};
    picture.paletteAlpha = {0, 128, 255};
    CRasterImage image;
    DecodeBytes(image, WritePng(picture), FormatPng);
    return image;
}

// What a skin does with a picture, over a patterned screen: the whole of it stretched as
// a background, and its middle state band cut out and drawn as a button below.
std::vector<COLORREF> DrawAsSkin(CRasterImage& image) {
    const LONG w = image.Width();
    const LONG h = image.Height();
    const LONG bandHeight = h / 3;
    CCanvas canvas(2 * w + 1, 2 * h + bandHeight + 2, 0);
    for (LONG y = 0; y < canvas.Height(); ++y) {
        for (LONG x = 0; x < canvas.Width(); ++x)
            SetPixel(canvas.Dc(), x, y, RGB(x * 23 % 256, y * 41 % 256, (x + y) * 13 % 256));
    }
    image.Draw(canvas.Dc(), 0, 0, 2 * w + 1, 2 * h - 1);
    CRasterImage band;
    if (image.Crop(0, bandHeight, w, 2 * bandHeight, &band))
        band.Draw(canvas.Dc(), 1, 2 * h + 1);
    return canvas.Pixels();
}

bool MiddleBandHasClearPixel(const PngPicture& rgba) {
    const int bandHeight = rgba.height / 3;
    for (int y = bandHeight; y < 2 * bandHeight; ++y) {
        for (int x = 0; x < rgba.width; ++x) {
            if (rgba.Sample(x, y, 3) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(Draw, NaturalAndDoubleSizePaintTheImage) {
    CRasterImage image = RandomImage(5, 4, 24, 1);
    CCanvas natural(16, 12, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(image.Draw(natural.Dc(), 3, 2), 1);
    for (LONG y = 0; y < 12; ++y) {
        for (LONG x = 0; x < 16; ++x) {
            const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
            const COLORREF expected = inside
                                          ? ColorRefOf(image.PixelColor(x - 3, 3 - (y - 2), false))
                                          : RGB(0x12, 0x34, 0x56);
            ASSERT_EQ(natural.Pixel(x, y), expected) << x << ", " << y;
        }
    }

    CCanvas doubled(16, 12, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(image.Draw(doubled.Dc(), 1, 1, 10, 8), 1);
    for (LONG y = 0; y < 12; ++y) {
        for (LONG x = 0; x < 16; ++x) {
            const bool inside = x >= 1 && x < 11 && y >= 1 && y < 9;
            const COLORREF expected =
                inside ? ColorRefOf(image.PixelColor((x - 1) / 2, 3 - (y - 1) / 2, false))
                       : RGB(0x12, 0x34, 0x56);
            ASSERT_EQ(doubled.Pixel(x, y), expected) << x << ", " << y;
        }
    }
}

TEST(Draw, AlphaClearHalfAndFullOverBlackAndWhite) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(4, 1, 24, FormatPng));
    image.CreateAlpha();
    const RGBQUAD colors[] = {{0, 0, 0, 0}, {255, 255, 255, 0}, {30, 20, 10, 0}, {50, 100, 200, 0}};
    const BYTE alphas[] = {128, 128, 255, 0};
    for (LONG x = 0; x < 4; ++x) {
        image.SetPixelColor(x, 0, colors[x]);
        image.SetAlphaAt(x, 0, alphas[x]);
    }
    CCanvas white(4, 1, 0xFFFFFF);
    image.Draw(white.Dc(), 0, 0);
    EXPECT_EQ(white.Pixels(), (std::vector<COLORREF>{RGB(126, 126, 126), RGB(254, 254, 254),
                                                     RGB(10, 20, 30), 0xFFFFFF}));
    CCanvas black(4, 1, 0);
    image.Draw(black.Dc(), 0, 0);
    EXPECT_EQ(black.Pixels(), (std::vector<COLORREF>{0, RGB(127, 127, 127), RGB(10, 20, 30), 0}));
}

TEST(Draw, KeysOutTransparentIndexAndColour) {
    CRasterImage indexed;
    ASSERT_TRUE(indexed.Create(3, 1, 8, FormatPng));
    indexed.SetPaletteColor(0, 1, 2, 3);
    indexed.SetPaletteColor(1, 4, 5, 6);
    indexed.SetPixelIndex(1, 0, 1);
    indexed.SetTransparentIndex(0);
    CCanvas under(3, 1, RGB(0xAB, 0xCD, 0xEF));
    indexed.Draw(under.Dc(), 0, 0);
    EXPECT_EQ(under.Pixels(),
              (std::vector<COLORREF>{RGB(0xAB, 0xCD, 0xEF), RGB(4, 5, 6), RGB(0xAB, 0xCD, 0xEF)}));

    CRasterImage keyed;
    ASSERT_TRUE(keyed.Create(3, 1, 24, FormatPng));
    const RGBQUAD magenta = {255, 0, 255, 0};
    keyed.SetPixelColor(0, 0, magenta);
    keyed.SetPixelColor(1, 0, RGBQUAD{255, 0, 254, 0});
    keyed.SetPixelColor(2, 0, magenta);
    keyed.SetTransparentIndex(0);
    keyed.SetTransparentColor(magenta);
    const std::vector<COLORREF> magentaKeyed = {RGB(0xAB, 0xCD, 0xEF), RGB(254, 0, 255),
                                                RGB(0xAB, 0xCD, 0xEF)};
    CCanvas screen(3, 1, RGB(0xAB, 0xCD, 0xEF));
    keyed.Draw(screen.Dc(), 0, 0);
    EXPECT_EQ(screen.Pixels(), magentaKeyed);

    // The key applies on top of an opaque alpha plane too.
    keyed.CreateAlpha();
    CCanvas withPlane(3, 1, RGB(0xAB, 0xCD, 0xEF));
    keyed.Draw(withPlane.Dc(), 0, 0);
    EXPECT_EQ(withPlane.Pixels(), magentaKeyed);

    // A source colour is compared with a fourth byte of 0, so this key matches nothing.
    keyed.SetTransparentColor(RGBQUAD{255, 0, 255, 1});
    CCanvas unkeyed(3, 1, RGB(0xAB, 0xCD, 0xEF));
    keyed.Draw(unkeyed.Dc(), 0, 0);
    EXPECT_EQ(unkeyed.Pixels(),
              (std::vector<COLORREF>{RGB(255, 0, 255), RGB(254, 0, 255), RGB(255, 0, 255)}));
}

TEST(Draw, PaletteOpacityScalesTheBlend) {
    CRasterImage image = PaletteOpacityImage();
    ASSERT_TRUE(image.Info().alphaPaletteEnabled);
    CCanvas canvas(3, 2, 0xFFFFFF);
    image.Draw(canvas.Dc(), 0, 0);
    // Opacity 128 gives a = 255 * 129 / 256 = 128 (black over white: 126); opacity 0 gives 0.
    const COLORREF half = RGB(126, 126, 126);
    const COLORREF opaque = RGB(30, 40, 250);
    EXPECT_EQ(canvas.Pixels(),
              (std::vector<COLORREF>{0xFFFFFF, half, opaque, opaque, half, 0xFFFFFF}));
}

TEST(Draw, PartlyOutsideTheClipBoxKeepsPixelPositions) {
    CRasterImage image = RandomImage(6, 5, 24, 2);
    AddRandomAlpha(image, 3);
    const struct { LONG width, height; } sizes[] = {{-1, -1}, {9, 7}, {4, 3}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.width);
        const LONG w = size.width < 0 ? 6 : size.width;
        const LONG h = size.height < 0 ? 5 : size.height;
        CCanvas whole(20, 20, 0x808080);
        image.Draw(whole.Dc(), 5, 5, size.width, size.height);
        for (const POINT at : {POINT{-2, -3}, POINT{20 - w + 2, 20 - h + 1}}) {
            CCanvas cut(20, 20, 0x808080);
            image.Draw(cut.Dc(), at.x, at.y, size.width, size.height);
            for (LONG dy = 0; dy < h; ++dy) {
                for (LONG dx = 0; dx < w; ++dx) {
                    const LONG x = at.x + dx;
                    const LONG y = at.y + dy;
                    if (x < 0 || x >= 20 || y < 0 || y >= 20)
                        continue;
                    ASSERT_EQ(cut.Pixel(x, y), whole.Pixel(5 + dx, 5 + dy)) << dx << ", " << dy;
                }
            }
        }
    }
}

TEST(Draw, ClipRectangleLimitsPaintingAndIsUndone) {
    CRasterImage image = RandomImage(8, 6, 24, 4);
    for (bool withAlpha : {false, true}) {
        if (withAlpha)
            AddRandomAlpha(image, 5);
        CCanvas canvas(12, 10, 0x3A3A3A);
        const RECT before = ClipBoxOf(canvas);
        const RECT limit = {4, 3, 9, 6};
        const std::vector<COLORREF> expected =
            ExpectedDraw(image, canvas, 2, 1, -1, -1, RECT{4, 3, 9, 6});
        EXPECT_EQ(image.Draw(canvas.Dc(), 2, 1, -1, -1, &limit), 1);
        EXPECT_EQ(canvas.Pixels(), expected);
        const RECT after = ClipBoxOf(canvas);
        EXPECT_TRUE(EqualRect(&before, &after));
    }
}

TEST(Draw, MatchesThePixelByPixelFormEverywhere) {
    std::mt19937 random(7);
    int seed = 100;
    for (DWORD depth : {24u, 8u, 4u, 1u}) {
        for (int variant = 0; variant < 8; ++variant) {
            TestImage image(RandomImage(7, 5, depth, seed++));
            if (variant & 1)
                AddRandomAlpha(image, seed++);
            if (variant & 2) {
                image.SetTransparentIndex(1);
                image.SetTransparentColor(RGBQUAD{0, 0, 0, 0});
                if (depth == 24)
                    image.SetPixelColor(2, 2, RGBQUAD{0, 0, 0, 0});
            }
            if (variant & 4)
                image.EnablePaletteOpacity();
            for (int placement = 0; placement < 6; ++placement) {
                const LONG x = static_cast<LONG>(random() % 14) - 4;
                const LONG y = static_cast<LONG>(random() % 12) - 4;
                const LONG width = placement < 2 ? -1 : static_cast<LONG>(random() % 15 + 1);
                const LONG height = placement < 2 ? -1 : static_cast<LONG>(random() % 11 + 1);
                SCOPED_TRACE(testing::Message()
                             << "depth " << depth << " variant " << variant << " at " << x << ", "
                             << y << " size " << width << " x " << height);
                CCanvas canvas(14, 11, 0);
                for (LONG k = 0; k < 14 * 11; ++k)
                    SetPixel(canvas.Dc(), k % 14, k / 14, random() & 0xFFFFFF);
                const RECT clip = {1, 2, 12, 10};
                ClipTo(canvas, clip);
                const std::vector<COLORREF> expected =
                    ExpectedDraw(image, canvas, x, y, width, height, clip);
                ASSERT_EQ(image.Draw(canvas.Dc(), x, y, width, height), 1);
                ASSERT_EQ(canvas.Pixels(), expected);
            }
        }
    }
    CRasterImage opacity = PaletteOpacityImage();
    CCanvas canvas(8, 8, RGB(0x44, 0x55, 0x66));
    const std::vector<COLORREF> expected = ExpectedDraw(opacity, canvas, 1, 1, 7, 5, {0, 0, 8, 8});
    opacity.Draw(canvas.Dc(), 1, 1, 7, 5);
    EXPECT_EQ(canvas.Pixels(), expected);
}

TEST(Draw, NothingToDoReturnsZero) {
    CCanvas canvas(4, 4, RGB(0x01, 0x02, 0x03));
    CRasterImage empty;
    EXPECT_EQ(empty.Draw(canvas.Dc(), 0, 0), 0);
    CRasterImage image = RandomImage(2, 2, 24, 8);
    EXPECT_EQ(image.Draw(nullptr, 0, 0), 0);
    EXPECT_EQ(image.Draw(canvas.Dc(), 0, 0, 0, 2), 0);
    EXPECT_EQ(image.Draw(canvas.Dc(), 0, 0, 2, 0), 0);
    EXPECT_EQ(canvas.Pixels(), std::vector<COLORREF>(16, RGB(0x01, 0x02, 0x03)));
    AddRandomAlpha(image, 9);
    EXPECT_EQ(image.Draw(canvas.Dc(), 10, 10), 1);
    EXPECT_EQ(canvas.Pixels(), std::vector<COLORREF>(16, RGB(0x01, 0x02, 0x03)));
}

// Skin pictures as common tools save them must draw exactly as the same picture saved as
// 8-bit RGBA: clear where it is clear, blended where it is translucent.
TEST(Draw, TransparentPicturesOfEveryKindDrawLikeTheirRgbaTwin) {
    const struct {
        const char* name;
        int colorType;
        int depth;
    } kinds[] = {{"grey with alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
                 {"16-bit grey with alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
                 {"16-bit RGBA", PNG_COLOR_TYPE_RGB_ALPHA, 16},
                 {"2-bit grey with a key", PNG_COLOR_TYPE_GRAY, 2},
                 {"16-bit grey with a key", PNG_COLOR_TYPE_GRAY, 16},
                 {"RGB with a key", PNG_COLOR_TYPE_RGB, 8},
                 {"16-bit RGB with a key", PNG_COLOR_TYPE_RGB, 16},
                 {"palette with opacities", PNG_COLOR_TYPE_PALETTE, 8},
                 {"4-bit palette with opacities", PNG_COLOR_TYPE_PALETTE, 4}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        PngPicture picture = PatternPng(kind.colorType, kind.depth, false);
        if (kind.colorType & PNG_COLOR_MASK_ALPHA) {
            const int alpha = ChannelCount(kind.colorType) - 1;
            for (int i = 0; i < picture.width * picture.height; i += 3)
                picture.samples[i * (alpha + 1) + alpha] = 0;
        } else if (kind.colorType == PNG_COLOR_TYPE_PALETTE) {
            for (size_t i = 0; i < picture.palette.size() / 6; ++i)
                picture.paletteAlpha.push_back(static_cast<BYTE>(i % 3 == 0 ? 0 : i * 53));
        } else {
            KeyOnPixel(picture, 1, 3);
        }
        const PngPicture twin = Rgba8Twin(picture);
        ASSERT_TRUE(MiddleBandHasClearPixel(twin));
        CRasterImage image;
        CRasterImage reference;
        ASSERT_TRUE(DecodeBytes(image, WritePng(picture), FormatPng));
        ASSERT_TRUE(DecodeBytes(reference, WritePng(twin), FormatPng));
        EXPECT_EQ(DrawAsSkin(image), DrawAsSkin(reference));
    }
}
