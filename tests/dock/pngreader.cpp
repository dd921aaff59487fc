#include "tests/dock/pngreader.h"

#include <png.h>

namespace {

template <typename Wanted> int Count(const RgbImage& image, Wanted wanted) {
    int count = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        count += wanted(&image.rgb[i]) ? 1 : 0;
    return count;
}

} // namespace

bool ReadPng(const std::string& path, RgbImage& image) {
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

int CountRedTile(const RgbImage& image) {
    return Count(image, [](const BYTE* p) { return p[0] > 130 && p[1] < 70 && p[2] < 70; });
}

int CountWhite(const RgbImage& image) {
    return Count(image, [](const BYTE* p) { return p[0] > 230 && p[1] > 230 && p[2] > 230; });
}
