// Rewrites the CRC of every chunk of a PNG-looking input, so that mutations reach the
// decoder instead of stopping at libpng's checksum test.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline std::vector<uint8_t> WithValidChunkCrcs(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(data, signature, 8) != 0)
        return bytes;
    size_t position = 8;
    while (size - position >= 12) {
        const uint32_t length = uint32_t(bytes[position]) << 24 | bytes[position + 1] << 16 |
                                bytes[position + 2] << 8 | bytes[position + 3];
        if (length > size - position - 12)
            break;
        const uLong crc = crc32(0, &bytes[position + 4], static_cast<uInt>(length + 4));
        uint8_t* stored = &bytes[position + 8 + length];
        stored[0] = static_cast<uint8_t>(crc >> 24);
        stored[1] = static_cast<uint8_t>(crc >> 16);
        stored[2] = static_cast<uint8_t>(crc >> 8);
        stored[3] = static_cast<uint8_t>(crc);
        position += 12 + length;
    }
    return bytes;
}
