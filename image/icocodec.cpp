#include "image/icocodec.h"

#include "image/imagestream.h"
#include "image/littleendian.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr DWORD DIRECTORY_BYTES = 6;
constexpr DWORD ENTRY_BYTES = 16;
constexpr DWORD INFO_HEADER_BYTES = 40;

size_t MaskStride(LONG width) {
    return (static_cast<size_t>(width) + 31) / 32 * 4;
}

} // namespace

bool IcoCodec::DecodeFrom(ImageStream& stream) {
    const LONG start = stream.Tell();
    BYTE directory[DIRECTORY_BYTES];
    if (start < 0 || !stream.ReadExact(directory, sizeof directory))
        return false;
    const WORD type = ReadLe16(directory + 2);
    if (ReadLe16(directory) != 0 || (type != 1 && type != 2))
        return false;

    const WORD entryCount = ReadLe16(directory + 4);
    info.frameCount = entryCount;
    const size_t entryBytes = static_cast<size_t>(entryCount) * ENTRY_BYTES;
    if (entryBytes > static_cast<size_t>(stream.Remaining()))
        return false;
    std::vector<BYTE> entries(entryBytes);
    if (!stream.ReadExact(entries.data(), entries.size()))
        return false;
    if (info.frameIndex < 0 || info.frameIndex >= entryCount)
        return false;

    WORD bitCount = 0;
    if (!ReadEntryImage(stream, &entries[info.frameIndex * ENTRY_BYTES], start, bitCount))
        return false;

    const LONG height = Height();
    std::vector<BYTE> mask(MaskStride(Width()) * static_cast<size_t>(height));
    if (!mask.empty() && stream.ReadExact(mask.data(), mask.size()))
        ApplyMask(mask, bitCount);
    return true;
}

// The size comes from the directory entry: the header's height counts the mask too.
bool IcoCodec::ReadEntryImage(ImageStream& stream, const BYTE* entry, LONG start, WORD& bitCount) {
    const int64_t offset = static_cast<int64_t>(start) + ReadLe32(entry + 12);
    if (offset > stream.Size() || !stream.Seek(static_cast<LONG>(offset), 0))
        return false;
    BYTE bitmapHeader[INFO_HEADER_BYTES];
    if (!stream.ReadExact(bitmapHeader, sizeof bitmapHeader))
        return false;
    bitCount = ReadLe16(bitmapHeader + 14);
    if (!Create(entry[0], entry[1], bitCount, FormatIco))
        return false;
    RGBQUAD palette[256] = {};
    stream.Read(palette, 1, 4 * header.biClrUsed);
    SetPalette(palette, header.biClrUsed);
    ReadPixels(stream, bitCount);
    return true;
}

void IcoCodec::ReadPixels(ImageStream& stream, WORD bitCount) {
    if (bitCount <= 24) {
        stream.Read(info.pixels, 1, header.biSizeImage);
        return;
    }
    CreateAlpha();
    const LONG width = Width();
    std::vector<BYTE> source(4 * static_cast<size_t>(width));
    for (LONG y = 0; y < Height(); ++y) {
        const size_t got = stream.Read(source.data(), 1, source.size());
        BYTE* target = RowPointer(static_cast<DWORD>(y));
        for (LONG x = 0; x < width && 4 * static_cast<size_t>(x) + 4 <= got; ++x) {
            std::copy_n(&source[4 * x], 3, target + 3 * x);
            SetAlphaAt(x, y, source[4 * x + 3]);
        }
        if (got < source.size())
            return;
    }
}

bool IcoCodec::IsMasked(const std::vector<BYTE>& mask, LONG x, LONG y) const {
    const BYTE bits = mask[static_cast<size_t>(y) * MaskStride(Width()) + x / 8];
    return (bits >> (7 - x % 8)) & 1;
}

void IcoCodec::ApplyMask(const std::vector<BYTE>& mask, WORD bitCount) {
    if (std::all_of(mask.begin(), mask.end(), [](BYTE bits) { return bits == 0xFF; })) {
        info.transparentIndex = 0;
        Invert();
        return;
    }
    const bool hadAlpha = alpha != nullptr;
    CreateAlpha();
    bool anyMasked = false;
    for (LONG y = 0; y < Height(); ++y) {
        for (LONG x = 0; x < Width(); ++x) {
            if (IsMasked(mask, x, y)) {
                SetAlphaAt(x, y, 0);
                anyMasked = true;
            }
        }
    }
    if (!hadAlpha && !anyMasked)
        DeleteAlpha();

    if (bitCount == 24)
        KeyMaskedColor(mask);
    else if (bitCount <= 8)
        KeyMaskedIndex(mask);
}

// A single colour under the mask becomes the key colour instead of an alpha plane.
void IcoCodec::KeyMaskedColor(const std::vector<BYTE>& mask) {
    bool found = false;
    RGBQUAD key = {};
    for (LONG y = 0; y < Height(); ++y) {
        for (LONG x = 0; x < Width(); ++x) {
            if (!IsMasked(mask, x, y))
                continue;
            const RGBQUAD color = PixelColor(x, y, false);
            if (found && (color.rgbBlue != key.rgbBlue || color.rgbGreen != key.rgbGreen ||
                          color.rgbRed != key.rgbRed || color.rgbReserved != key.rgbReserved))
                return;
            key = color;
            found = true;
        }
    }
    if (!found)
        return;
    key.rgbReserved = 0;
    info.transparentColor = key;
    info.transparentIndex = 0;
    DeleteAlpha();
}

// Masked pixels take the lowest palette index no pixel uses, which becomes the key.
void IcoCodec::KeyMaskedIndex(const std::vector<BYTE>& mask) {
    bool used[256] = {};
    for (LONG y = 0; y < Height(); ++y) {
        for (LONG x = 0; x < Width(); ++x)
            used[PixelIndex(x, y)] = true;
    }
    const DWORD entries = header.biClrUsed;
    const bool* firstFree = std::find(used, used + entries, false);
    if (firstFree == used + entries)
        return;
    const BYTE freeIndex = static_cast<BYTE>(firstFree - used);
    bool anySet = false;
    for (LONG y = 0; y < Height(); ++y) {
        for (LONG x = 0; x < Width(); ++x) {
            if (IsMasked(mask, x, y)) {
                SetPixelIndex(x, y, freeIndex);
                anySet = true;
            }
        }
    }
    if (anySet)
        info.transparentIndex = freeIndex;
    DeleteAlpha();
}
