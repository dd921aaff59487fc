// The pictures a skin may put beside its own for high resolutions: "name@2x.png" beside
// "name.png" is that picture drawn at twice its size. The plug-in picks them by this rule
// and skincheck holds skins to it.
#pragma once

#include "image/rasterimage.h"

#include <windows.h>

#include <string>

struct PictureVariant {
    const char* suffix;
    const char* scale; // as a person writes it
    LONG numerator;
    LONG denominator;

    // The variant's file: the suffix before the file name's extension, or at its end
    // without one.
    std::string PathFor(const std::string& path) const;
    // The base picture's size times the scale, each side rounded to the nearest pixel.
    SIZE SizeFor(const CRasterImage& base) const;
    // Within a pixel of that size each way: any other picture of the name is not the base
    // picture drawn finer, and is ignored.
    bool Fits(const CRasterImage& variant, const CRasterImage& base) const;
};

constexpr PictureVariant PICTURE_VARIANTS[] = {{"@1.5x", "1.5", 3, 2}, {"@2x", "2", 2, 1}};

// The name of the picture a variant's file stands for; empty when the name is no
// variant's.
std::string PictureOfVariant(const std::string& fileName);
