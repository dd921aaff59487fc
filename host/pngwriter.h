// Writes captured pixels as a PNG file through libpng.
#pragma once

#include "host/screenimage.h"

#include <string>

class CPngWriter {
public:
    // An 8-bit RGB file; false when the image is empty or the file cannot be written,
    // and then, when libpng gave one, its reason in `why`.
    static bool Write(const std::string& path, const ScreenImage& image,
                      std::string* why = nullptr);
};
