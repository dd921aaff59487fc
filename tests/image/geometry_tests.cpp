#include "imagetestsupport.h"

#include "image/blend.h"
#include "image/rasterimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace {

// Every pixel's colour and alpha, through the accessors.
std::vector<uint32_t> Pixels(CRasterImage& image) {
    std::vector<uint32_t> pixels;
    for (LONG y = 0; y < image.Height(); ++y) {
        for (LONG x = 0; x < image.Width(); ++x) {
            const RGBQUAD c = image.PixelColor(x, y, true);
            pixels.push_back(c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16 |
                             static_cast<uint32_t>(image.AlphaAt(x, y)) << 24);
        }
    }
    return pixels;
}

// Straightforward transcriptions of the filters, one pixel at a time through the
// accessors, to hold the fast code to the same bits.
struct Reference {
    CRasterImage& source;
    CRasterImage result;
    float xScale;
    float yScale;

    Reference(CRasterImage& image, LONG width, LONG height) : source(image) {
        xScale = static_cast<float>(image.Width()) / static_cast<float>(width);
        yScale = static_cast<float>(image.Height()) / static_cast<float>(height);
        result.CopySettingsFrom(image);
        result.Create(width, height, image.BitCount(), image.Info().formatId);
        result.SetPalette(image.Palette(), 256);
    }

    LONG Scaled(LONG i, float scale) const {
        const float product = static_cast<float>(i) * scale;
        return static_cast<LONG>(product);
    }

    void Nearest() {
        for (LONG y = 0; y < result.Height(); ++y) {
            for (LONG x = 0; x < result.Width(); ++x)
                result.SetPixelColor(x, y, source.PixelColor(Scaled(x, xScale), Scaled(y, yScale)),
                                     false);
        }
    }

    void Bilinear() {
        const LONG width = source.Width();
        const LONG height = source.Height();
        for (LONG y = 0; y < result.Height(); ++y) {
            const float fy = static_cast<float>(y) * yScale;
            const LONG iy = static_cast<LONG>(fy);
            const LONG iy1 = std::min(height - 1, iy + 1);
            const float dy = fy - static_cast<float>(iy);
            for (LONG x = 0; x < result.Width(); ++x) {
                const float fx = static_cast<float>(x) * xScale;
                const LONG ix = static_cast<LONG>(fx);
                const LONG ix1 = std::min(width - 1, ix + 1);
                const float dx = fx - static_cast<float>(ix);
                const RGBQUAD c1 = source.PixelColor(ix, iy), c2 = source.PixelColor(ix1, iy);
                const RGBQUAD c3 = source.PixelColor(ix, iy1), c4 = source.PixelColor(ix1, iy1);
                auto mix = [&](BYTE RGBQUAD::*channel) {
                    const float p = c1.*channel + (c3.*channel - c1.*channel) * dy;
                    const float q = c2.*channel + (c4.*channel - c2.*channel) * dy;
                    const float value = p + (q - p) * dx;
                    return static_cast<BYTE>(static_cast<LONG>(value));
                };
                result.SetPixelColorRef(
                    x, y,
                    RGB(mix(&RGBQUAD::rgbRed), mix(&RGBQUAD::rgbGreen), mix(&RGBQUAD::rgbBlue)));
            }
        }
    }

    static float Cube(float u) { return u > 0 ? u * u * u : 0.0f; }
    static float Kernel(float t) {
        const float sum = Cube(t + 2) - 4 * Cube(t + 1) + 6 * Cube(t) - 4 * Cube(t - 1);
        return sum * 0.16666667f;
    }

    void Bicubic() {
        for (LONG y = 0; y < result.Height(); ++y) {
            const float fy = static_cast<float>(y) * yScale - 0.5f;
            const LONG iy = static_cast<LONG>(std::floor(fy));
            const float ay = fy - std::floor(fy);
            for (LONG x = 0; x < result.Width(); ++x) {
                const float fx = static_cast<float>(x) * xScale - 0.5f;
                const LONG ix = static_cast<LONG>(std::floor(fx));
                const float bx = fx - std::floor(fx);
                float red = 0, green = 0, blue = 0;
                for (int m = -1; m <= 2; ++m) {
                    for (int n = -1; n <= 2; ++n) {
                        const LONG sx = std::clamp<LONG>(ix + n, 0, source.Width() - 1);
                        const LONG sy = std::clamp<LONG>(iy + m, 0, source.Height() - 1);
                        const RGBQUAD c = source.PixelColor(sx, sy);
                        const float w = Kernel(m - ay) * Kernel(bx - n);
                        red = red + c.rgbRed * w;
                        green = green + c.rgbGreen * w;
                        blue = blue + c.rgbBlue * w;
                    }
                }
                result.SetPixelColorRef(x, y,
                                        RGB(static_cast<BYTE>(static_cast<LONG>(red)),
                                            static_cast<BYTE>(static_cast<LONG>(green)),
                                            static_cast<BYTE>(static_cast<LONG>(blue))));
            }
        }
    }

    // The single pass with its destination pointer, exactly as the rule walks it. The
    // 32-bit sums wrap on large shrinks; unsigned sums wrap the same way, defined.
    void Box() {
        const LONG newWidth = result.Width();
        std::vector<uint32_t> first(3 * newWidth + 3), second(3 * newWidth + 3);
        uint32_t* current = first.data();
        uint32_t* carry = second.data();
        const int nScale = static_cast<int>(1000 * xScale * yScale);
        float endY = yScale - 1;
        BYTE* target = result.RowPointer(0);
        LONG v = 0;
        for (LONG y = 0; y < source.Height(); ++y) {
            const BYTE* row = source.RowPointer(static_cast<DWORD>(y));
            LONG u = 0;
            LONG i = 0;
            float endX = xScale - 1;
            if (y < endY) {
                for (LONG x = 0; x < source.Width(); ++x) {
                    const BYTE* s = row + 3 * x;
                    if (x < endX) {
                        for (int c = 0; c < 3; ++c)
                            current[i + c] += s[c] * 1000;
                        continue;
                    }
                    const int wx = static_cast<int>((x - endX) * 1000);
                    for (int c = 0; c < 3; ++c) {
                        current[i + c] += (1000 - wx) * s[c];
                        current[i + 3 + c] += wx * s[c];
                    }
                    i += 3;
                    endX += xScale;
                    ++u;
                }
                continue;
            }
            const int wy = static_cast<int>((y - endY) * 1000);
            for (LONG x = 0; x < source.Width(); ++x) {
                const BYTE* s = row + 3 * x;
                if (x < endX) {
                    for (int c = 0; c < 3; ++c) {
                        current[i + c] += (1000 - wy) * s[c];
                        carry[i + c] += wy * s[c];
                    }
                    continue;
                }
                const int wx = static_cast<int>((x - endX) * 1000);
                for (int c = 0; c < 3; ++c) {
                    current[i] += (1000 - wy) * (1000 - wx) * s[c] / 1000;
                    *target++ = static_cast<BYTE>(static_cast<int>(current[i]) / nScale);
                    carry[i] += wy * (1000 - wx) * s[c] / 1000;
                    current[i + 3] += (1000 - wy) * wx * s[c] / 1000;
                    carry[i + 3] = wy * wx * s[c] / 1000;
                    ++i;
                }
                endX += xScale;
                ++u;
            }
            if (u < newWidth) {
                for (int c = 0; c < 3; ++c)
                    *target++ = static_cast<BYTE>(static_cast<int>(current[i + c]) / nScale);
            }
            std::swap(current, carry);
            std::fill_n(carry, 3, 0u);
            ++v;
            target = result.RowPointer(static_cast<DWORD>(v));
            endY += yScale;
        }
        if (v < result.Height()) {
            for (LONG k = 0; k < 3 * newWidth; ++k)
                target[k] = static_cast<BYTE>(static_cast<int>(current[k]) / nScale);
        }
    }

    void NearestAlpha() {
        if (!source.AlphaPlane())
            return;
        result.CreateAlpha();
        for (LONG y = 0; y < result.Height(); ++y) {
            for (LONG x = 0; x < result.Width(); ++x)
                result.SetAlphaAt(x, y, source.AlphaAt(Scaled(x, xScale), Scaled(y, yScale)));
        }
    }

    void Run(int mode) {
        const bool shrink = result.Width() < source.Width() && result.Height() < source.Height();
        if (mode == 1)
            Nearest();
        else if (mode == 2)
            Bicubic();
        else if (source.BitCount() == 24 && shrink)
            Box();
        else
            Bilinear();
        NearestAlpha();
    }
};

} // namespace

TEST(Crop, ThreeStateStripGivesEachBand) {
    // 3 x 9, top-down: three rows each of red, green and blue, alpha = top-down row.
    CRasterImage strip;
    ASSERT_TRUE(strip.Create(3, 9, 24, FormatPng));
    strip.CreateAlpha();
    for (LONG top = 0; top < 9; ++top) {
        const RGBQUAD colors[] = {{0, 0, 200, 0}, {0, 200, 0, 0}, {200, 0, 0, 0}};
        for (LONG x = 0; x < 3; ++x) {
            strip.SetPixelColor(x, 8 - top, colors[top / 3]);
            strip.SetAlphaAt(x, 8 - top, static_cast<BYTE>(10 * top + x));
        }
    }
    CRasterImage hot;
    ASSERT_TRUE(strip.Crop(0, 6, 3, 9, &hot));
    EXPECT_EQ(strip.Height(), 9);
    ASSERT_EQ(hot.Width(), 3);
    ASSERT_EQ(hot.Height(), 3);
    EXPECT_EQ(Bgr(hot, 2, 0), "200 0 0");
    EXPECT_EQ(hot.AlphaAt(2, 2), 62);
    EXPECT_EQ(hot.AlphaAt(0, 0), 80);

    ASSERT_TRUE(strip.Crop(0, 0, 3, 3));
    ASSERT_EQ(strip.Height(), 3);
    for (LONG y = 0; y < 3; ++y)
        EXPECT_EQ(Bgr(strip, 1, y), "0 0 200");
    EXPECT_EQ(strip.AlphaAt(1, 2), 1);
    EXPECT_EQ(strip.AlphaAt(1, 0), 21);
}

TEST(Crop, ClampsAndSwapsEdgesAtEveryDepth) {
    for (DWORD depth : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(depth);
        CRasterImage image = RandomImage(19, 6, depth, depth);
        AddRandomAlpha(image, depth);
        image.SetTransparentIndex(3);
        image.SetTransparentColor(RGBQUAD{1, 2, 3, 4});
        image.SetDpiX(300);
        CRasterImage piece;
        // Left and right given the wrong way round; the bottom lies past the image.
        ASSERT_TRUE(image.Crop(17, 2, 3, 40, &piece));
        ASSERT_EQ(piece.Width(), 14);
        ASSERT_EQ(piece.Height(), 4);
        EXPECT_EQ(piece.BitCount(), image.BitCount());
        EXPECT_EQ(piece.Info().transparentIndex, 3);
        EXPECT_EQ(piece.Info().transparentColor.rgbReserved, 4);
        EXPECT_EQ(piece.Info().dpiX, 96);
        for (DWORD i = 0; i < image.Header().biClrUsed; ++i)
            EXPECT_EQ(std::memcmp(&piece.Palette()[i], &image.Palette()[i], 4), 0);
        for (LONG y = 0; y < 4; ++y) {
            for (LONG x = 0; x < 14; ++x) {
                ASSERT_EQ(Bgr(piece, x, y), Bgr(image, x + 3, y));
                ASSERT_EQ(piece.AlphaAt(x, y), image.AlphaAt(x + 3, y));
            }
        }
        // Pixels past the cut stay clear, so that the pixel block is fully determined.
        const BYTE* lastRow = piece.RowPointer(3);
        const size_t used = (14 * depth + 7) / 8;
        const BYTE lastBits = static_cast<BYTE>(0xFF00 >> ((14 * depth - 1) % 8 + 1));
        EXPECT_EQ(lastRow[used - 1] & ~lastBits, 0);
        for (size_t k = used; k < piece.Info().rowStride; ++k)
            EXPECT_EQ(lastRow[k], 0);
    }
}

TEST(Crop, EmptyRectangleOrImageFails) {
    CRasterImage image = RandomImage(5, 4, 24, 1);
    const std::vector<uint32_t> before = Pixels(image);
    EXPECT_FALSE(image.Crop(2, 0, 2, 4));
    EXPECT_FALSE(image.Crop(0, 3, 5, 3));
    EXPECT_FALSE(image.Crop(7, 0, 9, 4));
    EXPECT_FALSE(image.Crop(0, -5, 5, -1));
    EXPECT_EQ(Pixels(image), before);
    CRasterImage empty;
    EXPECT_FALSE(empty.Crop(0, 0, 1, 1));
}

TEST(Resample, SameSizeChangesNothingOrCopies) {
    CRasterImage image = RandomImage(6, 5, 24, 2);
    AddRandomAlpha(image, 2);
    const std::vector<uint32_t> before = Pixels(image);
    const BYTE* block = image.Dib();
    EXPECT_TRUE(image.Resample(6, 5, 0));
    EXPECT_EQ(image.Dib(), block);
    CRasterImage copy;
    EXPECT_TRUE(image.Resample(6, 5, 2, &copy));
    EXPECT_EQ(Pixels(copy), before);
    EXPECT_EQ(Pixels(image), before);
}

TEST(Resample, ZeroOrUnmakeableSizeFailsAndKeepsTheImage) {
    CRasterImage image = RandomImage(6, 5, 8, 3);
    const std::vector<uint32_t> before = Pixels(image);
    EXPECT_FALSE(image.Resample(0, 5, 0));
    EXPECT_FALSE(image.Resample(6, 0, 1));
    EXPECT_FALSE(image.Resample(-6, 5, 0));
    EXPECT_FALSE(image.Resample(100000, 100000, 2));
    EXPECT_EQ(Pixels(image), before);
    CRasterImage empty;
    EXPECT_FALSE(empty.Resample(2, 2, 0));
}

TEST(Resample, NearestRepeatsEachPixelOfATwoByTwo) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(2, 2, 24, FormatPng));
    image.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 0});
    image.SetPixelColor(1, 0, RGBQUAD{4, 5, 6, 0});
    image.SetPixelColor(0, 1, RGBQUAD{7, 8, 9, 0});
    image.SetPixelColor(1, 1, RGBQUAD{10, 11, 12, 0});
    ASSERT_TRUE(image.Resample(4, 4, 1));
    ASSERT_EQ(image.Width(), 4);
    for (LONG y = 0; y < 4; ++y) {
        for (LONG x = 0; x < 4; ++x) {
            const BYTE first = static_cast<BYTE>(1 + 3 * (x / 2) + 6 * (y / 2));
            EXPECT_EQ(Bgr(image, x, y), std::to_string(first) + " " + std::to_string(first + 1) +
                                            " " + std::to_string(first + 2));
        }
    }
}

TEST(Resample, HalvingAveragesTwoByTwoBlocks) {
    CRasterImage image = RandomImage(300, 200, 24, 4);
    CRasterImage half;
    ASSERT_TRUE(image.Resample(150, 100, 0, &half));
    ASSERT_EQ(half.Width(), 150);
    ASSERT_EQ(half.Height(), 100);
    for (LONG y = 0; y < 100; ++y) {
        for (LONG x = 0; x < 150; ++x) {
            const BYTE* out = half.RowPointer(static_cast<DWORD>(y)) + 3 * x;
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (LONG dy = 0; dy < 2; ++dy) {
                    for (LONG dx = 0; dx < 2; ++dx)
                        sum +=
                            image.RowPointer(static_cast<DWORD>(2 * y + dy))[3 * (2 * x + dx) + c];
                }
                ASSERT_EQ(out[c], sum * 1000 / 4000) << x << ", " << y;
            }
        }
    }
}

TEST(Resample, BilinearAndBicubicHandWorkedRows) {
    // One row 0, 200 tripled: the fractions 1/3 and 2/3 truncate to 66 and 133.
    CRasterImage ramp;
    ASSERT_TRUE(ramp.Create(2, 1, 24, FormatPng));
    ramp.SetPixelColor(1, 0, RGBQUAD{200, 100, 0, 0});
    ASSERT_TRUE(ramp.Resample(6, 1, 0));
    const char* expected[] = {"0 0 0",     "66 33 0",   "133 66 0",
                              "200 100 0", "200 100 0", "200 100 0"};
    for (LONG x = 0; x < 6; ++x)
        EXPECT_EQ(Bgr(ramp, x, 0), expected[x]) << x;

    // A single 100 doubled through the B-spline: weights 1/48, 1/6, 23/48, 2/3.
    CRasterImage spike;
    ASSERT_TRUE(spike.Create(4, 1, 24, FormatPng));
    spike.SetPixelColor(1, 0, RGBQUAD{100, 100, 100, 0});
    ASSERT_TRUE(spike.Resample(8, 1, 2));
    const int blues[] = {2, 16, 47, 66, 47, 16, 2, 0};
    for (LONG x = 0; x < 8; ++x)
        EXPECT_EQ(spike.PixelColor(x, 0).rgbBlue, blues[x]) << x;
}

TEST(Resample, EveryFilterMatchesItsPixelByPixelForm) {
    const struct {
        LONG width, height, newWidth, newHeight;
    } sizes[] = {{37, 23, 11, 7},  {37, 23, 80, 50}, {37, 23, 20, 60},   {5, 3, 1, 1},
                 {1, 1, 3, 2},     {61, 47, 60, 46}, {64, 64, 31, 17},   {30, 20, 29, 3},
                 {29, 31, 43, 31}, {7, 9, 2, 9},     {300, 200, 7, 100}, {300, 200, 150, 13},
                 {160, 120, 9, 7}, {8000, 3, 1, 1},  {9000, 2, 3, 1}};
    unsigned seed = 10;
    for (const auto& s : sizes) {
        for (DWORD depth : {24u, 8u, 4u, 1u}) {
            for (int mode : {0, 1, 2, 5}) {
                SCOPED_TRACE(testing::Message()
                             << s.width << "x" << s.height << " -> " << s.newWidth << "x"
                             << s.newHeight << " depth " << depth << " mode " << mode);
                CRasterImage image = RandomImage(s.width, s.height, depth, seed);
                if (seed % 2 == 0)
                    AddRandomAlpha(image, seed);
                ++seed;
                Reference reference(image, s.newWidth, s.newHeight);
                reference.Run(mode);
                ASSERT_TRUE(image.Resample(s.newWidth, s.newHeight, mode));
                ASSERT_EQ(image.Width(), s.newWidth);
                const BITMAPINFOHEADER& expected = reference.result.Header();
                ASSERT_EQ(image.Header().biSizeImage, expected.biSizeImage);
                ASSERT_EQ(std::memcmp(image.Dib(), reference.result.Dib(),
                                      40 + 4 * expected.biClrUsed + expected.biSizeImage),
                          0);
                ASSERT_EQ(image.AlphaPlane() != nullptr, reference.result.AlphaPlane() != nullptr);
                if (image.AlphaPlane()) {
                    ASSERT_EQ(std::memcmp(image.AlphaPlane(), reference.result.AlphaPlane(),
                                          static_cast<size_t>(s.newWidth) * s.newHeight),
                              0);
                }
                EXPECT_EQ(image.Info().lastValid, reference.result.Info().lastValid);
                EXPECT_EQ(image.Info().lastIndex, reference.result.Info().lastIndex);
            }
        }
    }
}

TEST(Resample, ShrinkOfAWideImageStaysInsideItsRows) {
    // Float drift puts more column boundaries than destination columns into rows this
    // wide; the sanitizers see any write past a row or an accumulator.
    CRasterImage image = RandomImage(32758, 2, 24, 5);
    ASSERT_TRUE(image.Resample(32474, 1, 0));
    EXPECT_EQ(image.Width(), 32474);
}

TEST(BlendRow, HalfOpacityTruncatesAndEndsCopyOrKeep) {
    const BYTE source[] = {0, 0, 0, 255, 255, 255, 9, 8, 7, 9, 8, 7};
    const BYTE opacity[] = {128, 128, 255, 0};
    BYTE white[12];
    std::memset(white, 255, sizeof white);
    BlendRow(white, source, opacity, 4);
    const BYTE overWhite[] = {126, 126, 126, 254, 254, 254, 9, 8, 7, 255, 255, 255};
    EXPECT_EQ(std::memcmp(white, overWhite, 12), 0);
    BYTE black[12] = {};
    BlendRow(black, source, opacity, 4);
    const BYTE overBlack[] = {0, 0, 0, 127, 127, 127, 9, 8, 7, 0, 0, 0};
    EXPECT_EQ(std::memcmp(black, overBlack, 12), 0);
}

TEST(BlendRow, MatchesAPlainPerPixelLoop) {
    std::mt19937 random(6);
    for (int trial = 0; trial < 200; ++trial) {
        const size_t count = random() % 70;
        std::vector<BYTE> source(3 * count), target(3 * count), opacity(count);
        for (BYTE& b : source)
            b = static_cast<BYTE>(random());
        for (BYTE& b : target)
            b = static_cast<BYTE>(random());
        // Runs of clear and opaque pixels of every length around the eight-byte steps.
        for (size_t i = 0; i < count;) {
            const size_t run = std::min<size_t>(count - i, random() % 20);
            const int kind = random() % 3;
            for (size_t k = 0; k <= run && i < count; ++k, ++i)
                opacity[i] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<BYTE>(random());
        }
        std::vector<BYTE> expected = target;
        for (size_t i = 0; i < count; ++i) {
            const int a = opacity[i];
            for (int c = 0; c < 3 && a != 0; ++c) {
                BYTE& out = expected[3 * i + c];
                out =
                    a == 255 ? source[3 * i + c] : (source[3 * i + c] * a + out * (255 - a)) / 256;
            }
        }
        BlendRow(target.data(), source.data(), opacity.data(), count);
        ASSERT_EQ(target, expected) << "trial " << trial;
    }
}
