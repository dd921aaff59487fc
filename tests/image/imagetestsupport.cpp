#include "imagetestsupport.h"

#include <cstring>
#include <random>

CRasterImage RandomImage(LONG width, LONG height, DWORD depth, unsigned seed) {
    std::mt19937 random(seed);
    CRasterImage image;
    image.Create(width, height, depth, FormatPng);
    for (DWORD i = 0; i < image.Header().biClrUsed; ++i)
        image.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(random()),
                              static_cast<BYTE>(random()), static_cast<BYTE>(random()),
                              static_cast<BYTE>(random()));
    for (LONG y = 0; y < height; ++y) {
        BYTE* row = image.RowPointer(static_cast<DWORD>(y));
        for (DWORD k = 0; k < image.Info().rowStride; ++k)
            row[k] = static_cast<BYTE>(random());
    }
    return image;
}

void AddRandomAlpha(CRasterImage& image, unsigned seed) {
    std::mt19937 random(seed);
    image.CreateAlpha();
    for (LONG y = 0; y < image.Height(); ++y) {
        for (LONG x = 0; x < image.Width(); ++x) {
            const int kind = random() % 3;
            image.SetAlphaAt(x, y, kind == 0 ? 0 : kind == 1 ? 255 : static_cast<BYTE>(random()));
        }
    }
}

RGBQUAD Quad(BYTE blue, BYTE green, BYTE red, BYTE fourth) {
    return RGBQUAD{blue, green, red, fourth};
}

bool SameQuad(RGBQUAD a, RGBQUAD b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Bgr(CRasterImage& image, LONG x, LONG y) {
    const RGBQUAD c = image.PixelColor(x, y, false);
    return std::to_string(c.rgbBlue) + " " + std::to_string(c.rgbGreen) + " " +
           std::to_string(c.rgbRed);
}

COLORREF ColorRefOf(RGBQUAD color) {
    return RGB(color.rgbRed, color.rgbGreen, color.rgbBlue);
}

void PrintTo(ImageError error, std::ostream* out) {
    *out << static_cast<int>(error) << " \"" << ImageErrorText(error) << "\"";
}
