#include "exitwnd/picturevariant.h"

#include <cstring>

namespace {

// Where the extension of the path's file name begins, or the path's end without one.
size_t ExtensionOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path.size();
    return dot;
}

} // namespace

std::string PictureVariant::PathFor(const std::string& path) const {
    const size_t extension = ExtensionOf(path);
    return path.substr(0, extension) + suffix + path.substr(extension);
}

SIZE PictureVariant::SizeFor(const CRasterImage& base) const {
    auto scaled = [this](LONG length) {
        return (2 * length * numerator + denominator) / (2 * denominator);
    };
    return {scaled(base.Width()), scaled(base.Height())};
}

bool PictureVariant::Fits(const CRasterImage& variant, const CRasterImage& base) const {
    const SIZE expected = SizeFor(base);
    auto within = [](LONG actual, LONG wanted) {
        return actual >= wanted - 1 && actual <= wanted + 1;
    };
    return within(variant.Width(), expected.cx) && within(variant.Height(), expected.cy);
}

std::string PictureOfVariant(const std::string& fileName) {
    for (const PictureVariant& variant : PICTURE_VARIANTS) {
        const size_t length = std::strlen(variant.suffix);
        // The suffix is before the extension; in a name without one, the dot of "@1.5x" is
        // no extension's.
        for (size_t end : {ExtensionOf(fileName), fileName.size()}) {
            if (end > length &&
                lstrcmpiA(fileName.substr(end - length, length).c_str(), variant.suffix) == 0)
                return fileName.substr(0, end - length) + fileName.substr(end);
        }
    }
    return {};
}
