#include "tools/lookalike.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int SEEN_DIFFERENCE = 16;
constexpr size_t BYTES_PER_PIXEL = 4;

bool Differs(const BYTE* one, const BYTE* other) {
    for (int channel = 0; channel < 3; ++channel) {
        if (std::abs(one[channel] - other[channel]) > SEEN_DIFFERENCE)
            return true;
    }
    return false;
}

} // namespace

bool LookAlike(const ScreenImage& one, const ScreenImage& other) {
    if (one.width != other.width || one.height != other.height ||
        one.bgrx.size() != other.bgrx.size())
        return false;
    const size_t pixels = one.bgrx.size() / BYTES_PER_PIXEL;
    size_t differing = 0;
    for (size_t i = 0; i < pixels; ++i)
        differing += Differs(&one.bgrx[i * BYTES_PER_PIXEL], &other.bgrx[i * BYTES_PER_PIXEL]);
    return differing < std::max<size_t>(4, pixels / 100);
}
