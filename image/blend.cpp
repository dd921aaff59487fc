#include "image/blend.h"

#include <cstdint>
#include <cstring>

namespace {

// Skin pictures are mostly long runs of fully transparent or fully opaque pixels, so
// runs are found eight opacities at a time.
size_t RunLength(const BYTE* opacity, size_t count, BYTE value) {
    const uint64_t pattern = 0x0101010101010101ull * value;
    size_t length = 0;
    while (length + 8 <= count) {
        uint64_t word;
        std::memcpy(&word, opacity + length, 8);
        if (word != pattern)
            break;
        length += 8;
    }
    while (length < count && opacity[length] == value)
        ++length;
    return length;
}

void BlendPixel(BYTE* target, const BYTE* source, unsigned a) {
    const unsigned rest = 255 - a;
    target[0] = static_cast<BYTE>((source[0] * a + target[0] * rest) >> 8);
    target[1] = static_cast<BYTE>((source[1] * a + target[1] * rest) >> 8);
    target[2] = static_cast<BYTE>((source[2] * a + target[2] * rest) >> 8);
}

} // namespace

void BlendRow(BYTE* target, const BYTE* source, const BYTE* opacity, size_t count) {
    size_t i = 0;
    while (i < count) {
        const BYTE a = opacity[i];
        if (a == 0) {
            i += RunLength(opacity + i, count - i, 0);
        } else if (a == 255) {
            const size_t run = RunLength(opacity + i, count - i, 255);
            std::memcpy(target + 3 * i, source + 3 * i, 3 * run);
            i += run;
        } else {
            BlendPixel(target + 3 * i, source + 3 * i, a);
            ++i;
        }
    }
}
