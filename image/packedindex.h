// The palette index of pixel x in a row of 1, 4 or 8 bits per pixel, the leftmost
// pixel in the high bits of its byte.
#pragma once

#include "image/imagetypes.h"

inline BYTE PackedIndex(const BYTE* row, LONG x, WORD depth) {
    switch (depth) {
    case 8:
        return row[x];
    case 4:
        return static_cast<BYTE>((row[x / 2] >> (4 * (1 - x % 2))) & 0x0F);
    default:
        return static_cast<BYTE>((row[x / 8] >> (7 - x % 8)) & 1);
    }
}
