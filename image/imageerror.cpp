#include "image/imageerror.h"

#include <cstddef>

namespace {

// In the order of the codes.
constexpr const char* MESSAGES[] = {
    "",
    "CRasterImage::Create can't allocate memory",
    "RASTERIMAGE_MAX_MEMORY exceeded",
    "GetDIBits failed",
    "Unable to load resource!",
    "Decode: Unknown or wrong format",
    "Not a BMP",
    "Error reading BMP info",
    "Can't allocate memory",
    "compression type not supported",
    "unknown compression",
    "can't allocate memory",
    "BMP pixel data offset out of range",
    "Failed to create PNG structure",
    "Failed to initialize PNG info structure",
    "Not a PNG file",
    "Read Error",
    "Unsupported PNG row layout",
    "Out of memory",
    "libpng rejected the PNG data",
};
static_assert(sizeof MESSAGES / sizeof MESSAGES[0] == static_cast<size_t>(ImageError::Count),
              "one message per code");

} // namespace

const char* ImageErrorText(ImageError error) {
    const size_t index = static_cast<size_t>(error);
    return index < static_cast<size_t>(ImageError::Count) ? MESSAGES[index] : "";
}
