// Field readers for the little-endian structures of BMP and icon files.
#pragma once

#include "image/imagetypes.h"

inline WORD ReadLe16(const BYTE* bytes) {
    return static_cast<WORD>(bytes[0] | bytes[1] << 8);
}

inline DWORD ReadLe32(const BYTE* bytes) {
    return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
           static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
}
