#include "host/pngwriter.h"

#include <png.h>

#include <cstring>

namespace {

// Drops the unused fourth byte: a screenshot has no transparency to keep.
std::vector<BYTE> PackBgr(const ScreenImage& image) {
    size_t pixels = static_cast<size_t>(image.width) * image.height;
    std::vector<BYTE> bgr(pixels * 3);
    for (size_t i = 0; i < pixels; ++i)
        std::memcpy(&bgr[i * 3], &image.bgrx[i * 4], 3);
    return bgr;
}

} // namespace

bool CPngWriter::Write(const std::string& path, const ScreenImage& image, std::string* why) {
    if (image.width <= 0 || image.height <= 0 ||
        image.bgrx.size() != static_cast<size_t>(image.width) * image.height * 4)
        return false;
    std::vector<BYTE> bgr = PackBgr(image);
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_BGR;
    if (png_image_write_to_file(&png, path.c_str(), 0, bgr.data(), 0, nullptr))
        return true;
    if (why)
        *why = png.message;
    return false;
}
