// What the image tests share besides the test pictures: random images, colour helpers,
// and error codes that print as their messages.
#pragma once

#include "image/rasterimage.h"

#include <ostream>
#include <string>

// A random palette, opacities included, and random bytes in every row, padding too.
CRasterImage RandomImage(LONG width, LONG height, DWORD depth, unsigned seed);
// An alpha plane with every kind of value: clear, opaque and in between.
void AddRandomAlpha(CRasterImage& image, unsigned seed);

RGBQUAD Quad(BYTE blue, BYTE green, BYTE red, BYTE fourth = 0);
bool SameQuad(RGBQUAD a, RGBQUAD b);
// The colour of pixel (x, y), storage order, as "blue green red".
std::string Bgr(CRasterImage& image, LONG x, LONG y);
// A colour as a device context shows it, without its fourth byte.
COLORREF ColorRefOf(RGBQUAD color);

void PrintTo(ImageError error, std::ostream* out);
