#include "image/bmpcodec.h"

#include "image/imagestream.h"
#include "image/littleendian.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// After a zero count: end of line, end of bitmap and delta move the position; any other
// value is the length of an absolute run, which the caller reads.
constexpr LONG RLE_END = -1;
constexpr LONG RLE_MOVED = -2;

LONG ReadRleEscape(ImageStream& stream, uint64_t& x, uint64_t& row) {
    const LONG command = stream.GetC();
    if (command < 0 || command == 1)
        return RLE_END;
    if (command == 0) {
        x = 0;
        ++row;
        return RLE_MOVED;
    }
    if (command != 2)
        return command;
    const LONG dx = stream.GetC();
    const LONG dy = stream.GetC();
    if (dx < 0 || dy < 0)
        return RLE_END;
    x += dx;
    row += dy;
    return RLE_MOVED;
}

constexpr WORD SIGNATURE = 0x4D42; // "BM"
constexpr DWORD FILE_HEADER_BYTES = 14;
constexpr DWORD INFO_HEADER_BYTES = 40;
constexpr DWORD CORE_HEADER_BYTES = 12;
constexpr DWORD OS2_HEADER_BYTES = 64;

bool SkipForward(ImageStream& stream, uint64_t bytes) {
    if (bytes > static_cast<uint64_t>(stream.Remaining()))
        return false;
    return stream.Seek(static_cast<LONG>(bytes), 1);
}

BITMAPINFOHEADER ParseInfoHeader(const BYTE* raw) {
    BITMAPINFOHEADER header;
    header.biSize = ReadLe32(raw);
    header.biWidth = static_cast<LONG>(ReadLe32(raw + 4));
    header.biHeight = static_cast<LONG>(ReadLe32(raw + 8));
    header.biPlanes = ReadLe16(raw + 12);
    header.biBitCount = ReadLe16(raw + 14);
    header.biCompression = ReadLe32(raw + 16);
    header.biSizeImage = ReadLe32(raw + 20);
    header.biXPelsPerMeter = static_cast<LONG>(ReadLe32(raw + 24));
    header.biYPelsPerMeter = static_cast<LONG>(ReadLe32(raw + 28));
    header.biClrUsed = ReadLe32(raw + 32);
    header.biClrImportant = ReadLe32(raw + 36);
    return header;
}

BITMAPINFOHEADER ParseCoreHeader(const BYTE* raw) {
    BITMAPINFOHEADER header = {};
    header.biSize = CORE_HEADER_BYTES;
    header.biWidth = ReadLe16(raw + 4);
    header.biHeight = ReadLe16(raw + 6);
    header.biPlanes = ReadLe16(raw + 8);
    header.biBitCount = ReadLe16(raw + 10);
    return header;
}

// Whether size == rowBytes * height, without forming a product that may overflow.
bool IsProduct(int64_t size, int64_t rowBytes, int64_t height) {
    if (rowBytes == 0 || height == 0)
        return size == 0;
    return size % rowBytes == 0 && size / rowBytes == height;
}

bool ConsistentLongHeader(const BITMAPINFOHEADER& header) {
    const int64_t rowBytes =
        (static_cast<int64_t>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
    return header.biSize > INFO_HEADER_BYTES &&
           IsProduct(header.biSizeImage, rowBytes, header.biHeight) && header.biPlanes == 1 &&
           header.biCompression == BI_RGB && header.biClrUsed == 0;
}

// Reads a 40-byte header, or a 12-byte OS/2 core header, or a longer one whose extra
// fields are skipped. The file's own image size is never trusted for reading.
bool ReadInfoHeader(ImageStream& stream, BITMAPINFOHEADER& header, bool& coreFormat) {
    BYTE raw[INFO_HEADER_BYTES];
    if (!stream.ReadExact(raw, sizeof raw))
        return false;
    header = ParseInfoHeader(raw);
    coreFormat = header.biSize == CORE_HEADER_BYTES;
    if (coreFormat) {
        header = ParseCoreHeader(raw);
        if (!stream.Seek(-static_cast<LONG>(INFO_HEADER_BYTES - CORE_HEADER_BYTES), 1))
            return false;
    } else if (header.biSize == OS2_HEADER_BYTES) {
        if (!SkipForward(stream, OS2_HEADER_BYTES - INFO_HEADER_BYTES))
            return false;
    } else if (header.biSize != INFO_HEADER_BYTES) {
        if (!ConsistentLongHeader(header) ||
            !SkipForward(stream, header.biSize - INFO_HEADER_BYTES))
            return false;
    }
    if (header.biClrUsed == 0 && header.biBitCount <= 8)
        header.biClrUsed = 1u << header.biBitCount;
    return true;
}

LONG PelsToDpi(LONG pelsPerMeter) {
    const int64_t numerator = static_cast<int64_t>(pelsPerMeter) * 254 + 5000;
    int64_t dpi = numerator / 10000;
    if (numerator % 10000 != 0 && numerator < 0)
        --dpi;
    return static_cast<LONG>(dpi);
}

ImageError SeekToPixels(ImageStream& stream, LONG start, DWORD pixelOffset) {
    if (pixelOffset == 0)
        return ImageError::None;
    const int64_t target = static_cast<int64_t>(start) + pixelOffset;
    if (start < 0 || target > stream.Size() || !stream.Seek(static_cast<LONG>(target), 0))
        return ImageError::BmpOffsetOutOfRange;
    return ImageError::None;
}

// Pixels of any other bit count keep what Create left in the rows.
bool IsKnownBitCount(WORD bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

void ReadMasks(ImageStream& stream, DWORD* masks) {
    BYTE raw[12] = {};
    stream.Read(raw, 1, sizeof raw);
    for (int i = 0; i < 3; ++i)
        masks[i] = ReadLe32(raw + 4 * i);
}

int SetBits16(DWORD mask) {
    int bits = 0;
    for (DWORD value = mask & 0xFFFF; value != 0; value >>= 1)
        bits += value & 1;
    return bits;
}

// Shifts left for a positive amount and right for a negative one: odd masks can ask
// for either direction, and for more than the width of the value.
BYTE ShiftToByte(DWORD value, int amount) {
    if (amount >= 32 || amount <= -32)
        return 0;
    return static_cast<BYTE>(amount >= 0 ? value << amount : value >> -amount);
}

} // namespace

bool BmpCodec::DecodeFrom(ImageStream& stream) {
    const ImageError error = Read(stream);
    if (error == ImageError::None)
        return true;
    SetError(error);
    return false;
}

ImageError BmpCodec::Read(ImageStream& stream) {
    const LONG start = stream.Tell();
    BYTE fileHeader[FILE_HEADER_BYTES];
    if (!stream.ReadExact(fileHeader, sizeof fileHeader))
        return ImageError::NotBmp;
    DWORD pixelOffset = ReadLe32(fileHeader + 10);
    if (ReadLe16(fileHeader) != SIGNATURE) {
        pixelOffset = 0;
        if (!stream.Seek(start, 0))
            return ImageError::NotBmp;
    }

    BITMAPINFOHEADER file;
    bool coreFormat = false;
    if (!ReadInfoHeader(stream, file, coreFormat))
        return ImageError::BmpInfo;

    const bool topDown = file.biHeight < 0;
    const int64_t height = std::min<int64_t>(std::llabs(file.biHeight), INT32_MAX);
    if (!Create(file.biWidth, static_cast<LONG>(height), file.biBitCount, FormatBmp))
        return ImageError::BmpCannotAllocate;
    header.biXPelsPerMeter = file.biXPelsPerMeter;
    header.biYPelsPerMeter = file.biYPelsPerMeter;
    info.dpiX = PelsToDpi(file.biXPelsPerMeter);
    info.dpiY = PelsToDpi(file.biYPelsPerMeter);

    ReadPalette(stream, file.biClrUsed, coreFormat);
    const ImageError error = ReadPixels(stream, file, start, pixelOffset);
    if (error != ImageError::None)
        return error;
    if (topDown)
        FlipVertical();
    return ImageError::None;
}

// Stores only the entries the image's palette holds and steps over the rest.
void BmpCodec::ReadPalette(ImageStream& stream, DWORD fileColors, bool coreFormat) {
    RGBQUAD* palette = Palette();
    if (!palette)
        return;
    const DWORD entryBytes = coreFormat ? 3 : 4;
    const DWORD stored = std::min(fileColors, header.biClrUsed);
    BYTE* bytes = reinterpret_cast<BYTE*>(palette);
    stream.Read(bytes, 1, stored * entryBytes);
    if (coreFormat) {
        for (DWORD i = stored; i-- > 0;) {
            const BYTE blue = bytes[3 * i];
            const BYTE green = bytes[3 * i + 1];
            const BYTE red = bytes[3 * i + 2];
            palette[i] = RGBQUAD{blue, green, red, 0};
        }
    }
    const uint64_t surplus = static_cast<uint64_t>(fileColors - stored) * entryBytes;
    SkipForward(stream, std::min<uint64_t>(surplus, stream.Remaining()));
    for (DWORD i = 0; i < header.biClrUsed; ++i)
        palette[i].rgbReserved = 0;
}

ImageError BmpCodec::ReadPixels(ImageStream& stream, const BITMAPINFOHEADER& file, LONG start,
                                DWORD pixelOffset) {
    const WORD bitCount = file.biBitCount;
    if (!IsKnownBitCount(bitCount))
        return ImageError::None;
    // 16-bit masks lie between the header and the pixels.
    DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bitCount == 16 && file.biCompression == BI_BITFIELDS)
        ReadMasks(stream, masks);
    const ImageError seek = SeekToPixels(stream, start, pixelOffset);
    if (seek != ImageError::None)
        return seek;
    switch (bitCount) {
    case 16:
        return Read16(stream, masks);
    case 24:
        if (file.biCompression != BI_RGB)
            return ImageError::BmpUnknownCompression;
        stream.Read(info.pixels, 1, header.biSizeImage);
        return ImageError::None;
    case 32:
        if (file.biCompression != BI_RGB && file.biCompression != BI_BITFIELDS)
            return ImageError::BmpUnknownCompression;
        return Read32(stream);
    default: // 1, 4 or 8 bits
        return ReadIndexed(stream, file.biCompression);
    }
}

ImageError BmpCodec::ReadIndexed(ImageStream& stream, DWORD compression) {
    if (compression == BI_RGB)
        stream.Read(info.pixels, 1, header.biSizeImage);
    else if (compression == BI_RLE8)
        DecodeRle8(stream);
    else if (compression == BI_RLE4)
        DecodeRle4(stream);
    else
        return ImageError::BmpCompressionNotSupported;
    return ImageError::None;
}

ImageError BmpCodec::Read16(ImageStream& stream, const DWORD* masks) {
    const int redBits = SetBits16(masks[0]);
    const int greenBits = SetBits16(masks[1]);
    const int blueBits = SetBits16(masks[2]);
    const size_t width = static_cast<size_t>(Width());
    const size_t rowBytes = (width + 1) / 2 * 4;
    const std::unique_ptr<BYTE[]> source = Allocate(rowBytes);
    if (!source)
        return ImageError::BmpBufferNotAllocated;
    for (LONG y = 0; y < Height(); ++y) {
        const size_t got = stream.Read(source.get(), 1, rowBytes);
        BYTE* target = RowPointer(static_cast<DWORD>(y));
        for (size_t x = 0; x < width && 2 * x + 2 <= got; ++x) {
            const DWORD word = ReadLe16(&source[2 * x]);
            target[3 * x] = ShiftToByte(word & masks[2], 8 - redBits);
            target[3 * x + 1] = ShiftToByte(word & masks[1], 8 - redBits - greenBits);
            target[3 * x + 2] = ShiftToByte(word & masks[0], 8 - redBits - greenBits - blueBits);
        }
        if (got < rowBytes)
            break;
    }
    return ImageError::None;
}

ImageError BmpCodec::Read32(ImageStream& stream) {
    const size_t width = static_cast<size_t>(Width());
    const size_t rowBytes = 4 * width;
    const std::unique_ptr<BYTE[]> source = Allocate(rowBytes);
    if (!source)
        return ImageError::BmpBufferNotAllocated;
    for (LONG y = 0; y < Height(); ++y) {
        const size_t got = stream.Read(source.get(), 1, rowBytes);
        BYTE* target = RowPointer(static_cast<DWORD>(y));
        for (size_t x = 0; x < width && 4 * x + 4 <= got; ++x)
            std::copy_n(&source[4 * x], 3, target + 3 * x);
        if (got < rowBytes)
            break;
    }
    return ImageError::None;
}

// Runs address the pixel rows as one byte sequence: a run past a row's end goes on in
// the next row, and nothing lands outside the rows.
void BmpCodec::PutByte(uint64_t row, uint64_t x, BYTE value) {
    const uint64_t offset = row * info.rowStride + x;
    if (offset < header.biSizeImage)
        info.pixels[offset] = value;
}

void BmpCodec::PutNibble(uint64_t row, uint64_t x, BYTE value) {
    const uint64_t offset = row * info.rowStride + x / 2;
    if (offset >= header.biSizeImage)
        return;
    BYTE& target = info.pixels[offset];
    if (x % 2 == 0)
        target = static_cast<BYTE>((target & 0x0F) | (value & 0x0F) << 4);
    else
        target = static_cast<BYTE>((target & 0xF0) | (value & 0x0F));
}

void BmpCodec::DecodeRle8(ImageStream& stream) {
    uint64_t row = 0;
    uint64_t x = 0;
    BYTE run[255];
    for (;;) {
        const LONG count = stream.GetC();
        if (count < 0)
            return;
        if (count > 0) {
            const LONG color = stream.GetC();
            if (color < 0)
                return;
            for (LONG i = 0; i < count; ++i)
                PutByte(row, x + i, static_cast<BYTE>(color));
            x += count;
            continue;
        }
        const LONG command = ReadRleEscape(stream, x, row);
        if (command == RLE_END)
            return;
        if (command == RLE_MOVED)
            continue;
        const size_t got = stream.Read(run, 1, command);
        for (size_t i = 0; i < got; ++i)
            PutByte(row, x + i, run[i]);
        if (got < static_cast<size_t>(command))
            return;
        if (command % 2 == 1)
            stream.GetC();
        x += command;
    }
}

void BmpCodec::DecodeRle4(ImageStream& stream) {
    uint64_t row = 0;
    uint64_t x = 0;
    BYTE run[128];
    for (;;) {
        const LONG count = stream.GetC();
        if (count < 0)
            return;
        if (count > 0) {
            const LONG colors = stream.GetC();
            if (colors < 0)
                return;
            for (LONG j = 0; j < count; ++j)
                PutNibble(row, x + j, static_cast<BYTE>(j % 2 == 0 ? colors >> 4 : colors));
            x += count;
            continue;
        }
        const LONG command = ReadRleEscape(stream, x, row);
        if (command == RLE_END)
            return;
        if (command == RLE_MOVED)
            continue;
        const size_t bytes = static_cast<size_t>(command + 1) / 2;
        const size_t got = stream.Read(run, 1, bytes);
        for (size_t j = 0; j < 2 * got && j < static_cast<size_t>(command); ++j)
            PutNibble(row, x + j, static_cast<BYTE>(j % 2 == 0 ? run[j / 2] >> 4 : run[j / 2]));
        if (got < bytes)
            return;
        if (bytes % 2 == 1)
            stream.GetC();
        x += command;
    }
}
