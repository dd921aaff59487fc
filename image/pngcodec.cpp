#include "image/pngcodec.h"

#include "image/imagestream.h"
#include "image/littleendian.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

// Owns libpng's read and info structures for one decode, on every exit path.
class PngReadStructs {
public:
    PngReadStructs() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (!png)
            throw "Failed to create PNG structure";
        pngInfo = png_create_info_struct(png);
        if (!pngInfo) {
            png_destroy_read_struct(&png, nullptr, nullptr);
            throw "Failed to initialize PNG info structure";
        }
    }
    ~PngReadStructs() { png_destroy_read_struct(&png, &pngInfo, nullptr); }
    PngReadStructs(const PngReadStructs&) = delete;
    PngReadStructs& operator=(const PngReadStructs&) = delete;

    png_structp png = nullptr;
    png_infop pngInfo = nullptr;
};

void ReadFromStream(png_structp png, png_bytep data, size_t length) {
    auto* stream = static_cast<ImageStream*>(png_get_io_ptr(png));
    if (stream->Read(data, 1, length) != length)
        png_error(png, "Read Error");
}

void StoreError(png_structp png, png_const_charp message) {
    char* lastError = static_cast<char*>(png_get_error_ptr(png));
    std::strncpy(lastError, message, 255);
    lastError[255] = '\0';
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// 16-bit samples are stripped to 8, and every colour depth becomes 24 bits.
DWORD ImageDepth(int pixelDepth) {
    if (pixelDepth == 16)
        return 8;
    return pixelDepth < 16 ? pixelDepth : 24;
}

LONG MetresToDpi(png_uint_32 pixelsPerMetre) {
    return static_cast<LONG>((static_cast<uint64_t>(pixelsPerMetre) * 254 + 5000) / 10000);
}

// Widens 2-bit pixels to nibbles in place; going backwards keeps unread input intact.
void ExpandTwoBitPixels(BYTE* row, LONG width) {
    for (LONG x = width - 1; x >= 0; --x) {
        const int value = (row[x / 4] >> (2 * (3 - x % 4))) & 3;
        BYTE& target = row[x / 2];
        if (x % 2 == 0)
            target = static_cast<BYTE>((target & 0x0F) | value << 4);
        else
            target = static_cast<BYTE>((target & 0xF0) | value);
    }
}

} // namespace

bool PngCodec::DecodeFrom(ImageStream& stream) {
    try {
        PngReadStructs structs;
        std::vector<BYTE> rowBuffer;
        return ReadImage(structs.png, structs.pngInfo, stream, rowBuffer);
    } catch (const char* message) {
        SetError(message);
    } catch (const std::bad_alloc&) {
        SetError("Out of memory");
    }
    return false;
}

// libpng reports errors by jumping back here. Nothing between this frame and the jump
// owns resources: the structures and the row buffer belong to the caller.
bool PngCodec::ReadImage(Png png, PngInfo pngInfo, ImageStream& stream,
                         std::vector<BYTE>& rowBuffer) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    return ReadWithinJumpScope(png, pngInfo, stream, rowBuffer);
}

bool PngCodec::ReadWithinJumpScope(Png png, PngInfo pngInfo, ImageStream& stream,
                                   std::vector<BYTE>& rowBuffer) {
    png_set_read_fn(png, &stream, ReadFromStream);
    png_set_error_fn(png, info.lastError, StoreError, IgnoreWarning);
    png_read_info(png, pngInfo);

    const int bitDepth = png_get_bit_depth(png, pngInfo);
    const int colorType = png_get_color_type(png, pngInfo);
    const int pixelDepth = bitDepth * png_get_channels(png, pngInfo);
    const bool interlaced = png_get_interlace_type(png, pngInfo) != PNG_INTERLACE_NONE;
    const LONG width = static_cast<LONG>(png_get_image_width(png, pngInfo));
    const LONG height = static_cast<LONG>(png_get_image_height(png, pngInfo));

    SetBackground(png, pngInfo, pixelDepth);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (!Create(width, height, ImageDepth(pixelDepth), FormatPng))
        return false;
    ApplyResolution(png, pngInfo);
    ApplyPalette(png, pngInfo);
    ApplyPaletteTransparency(png, pngInfo);
    RequestAlphaChannel(png, pngInfo, pixelDepth);
    if (colorType & PNG_COLOR_MASK_COLOR)
        png_set_bgr(png);

    rowBuffer.assign(static_cast<size_t>((pixelDepth + 7) / 8) * width + 10, 0);
    const int passes = png_set_interlace_handling(png);

    // The rows libpng will deliver must be exactly what the copy loops expect.
    png_read_update_info(png, pngInfo);
    const int deliveredBits = png_get_bit_depth(png, pngInfo) * png_get_channels(png, pngInfo);
    const int expectedBits = alpha ? 32 : (bitDepth == 2 ? 2 : BitCount());
    if (deliveredBits != expectedBits || png_get_rowbytes(png, pngInfo) > rowBuffer.size() ||
        info.rowStride > rowBuffer.size())
        png_error(png, "Unsupported PNG row layout");

    ReadRows(png, rowBuffer, passes, interlaced, bitDepth == 2);
    png_read_end(png, nullptr);
    return true;
}

void PngCodec::SetBackground(Png png, PngInfo pngInfo, int pixelDepth) {
    png_color_16p fileBackground = nullptr;
    const bool hasBackground = png_get_bKGD(png, pngInfo, &fileBackground) != 0;
    if (pixelDepth == 32) {
        if (hasBackground) {
            info.transparentColor = RGBQUAD{static_cast<BYTE>(fileBackground->blue),
                                            static_cast<BYTE>(fileBackground->green),
                                            static_cast<BYTE>(fileBackground->red), 0};
        }
        return;
    }
    if (hasBackground) {
        png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        return;
    }
    png_color_16 grey = {0, 192, 192, 192, 0};
    png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
}

void PngCodec::ApplyResolution(Png png, PngInfo pngInfo) {
    png_uint_32 x = 0;
    png_uint_32 y = 0;
    int unit = 0;
    if (!png_get_pHYs(png, pngInfo, &x, &y, &unit))
        return;
    if (unit == PNG_RESOLUTION_UNKNOWN) {
        SetDpiX(static_cast<LONG>(x));
        SetDpiY(static_cast<LONG>(y));
    } else if (unit == PNG_RESOLUTION_METER) {
        SetDpiX(MetresToDpi(x));
        SetDpiY(MetresToDpi(y));
    }
}

void PngCodec::ApplyPalette(Png png, PngInfo pngInfo) {
    png_colorp filePalette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, pngInfo, &filePalette, &entries) && entries > 0) {
        std::array<BYTE, 3 * 256> triples{};
        const int count = std::min(entries, 256);
        for (int i = 0; i < count; ++i) {
            triples[3 * i] = filePalette[i].red;
            triples[3 * i + 1] = filePalette[i].green;
            triples[3 * i + 2] = filePalette[i].blue;
        }
        SetPaletteRgb(triples.data(), static_cast<DWORD>(count));
    } else if (png_get_bit_depth(png, pngInfo) == 2) {
        for (BYTE i = 0; i < 4; ++i)
            SetPaletteColor(i, static_cast<BYTE>(85 * i), static_cast<BYTE>(85 * i),
                            static_cast<BYTE>(85 * i));
    } else {
        SetGrayPalette();
    }
}

// Only palette files: for grey files libpng reports the grey key through the same call,
// with an alpha byte that the file never set, and background compositing has keyed
// those pixels already.
void PngCodec::ApplyPaletteTransparency(Png png, PngInfo pngInfo) {
    RGBQUAD* palette = Palette();
    if (!palette || png_get_color_type(png, pngInfo) != PNG_COLOR_TYPE_PALETTE)
        return;
    png_bytep opacities = nullptr;
    int entries = 0;
    if (!png_get_tRNS(png, pngInfo, &opacities, &entries, nullptr) || !opacities || entries <= 0)
        return;
    const DWORD applied = std::min(static_cast<DWORD>(entries), header.biClrUsed);
    for (DWORD i = 0; i < applied; ++i)
        palette[i].rgbReserved = opacities[i];
    if (entries == 1 && palette[0].rgbReserved == 0) {
        info.transparentIndex = 0;
        return;
    }
    info.alphaPaletteEnabled = true;
    for (DWORD i = applied; i < header.biClrUsed; ++i)
        palette[i].rgbReserved = 255;
}

void PngCodec::RequestAlphaChannel(Png png, PngInfo pngInfo, int pixelDepth) {
    const int colorType = png_get_color_type(png, pngInfo);
    const bool greyAlpha16 = colorType == PNG_COLOR_TYPE_GRAY_ALPHA && pixelDepth == 32;
    if (colorType != PNG_COLOR_TYPE_RGB_ALPHA && !greyAlpha16)
        return;
    if (greyAlpha16) {
        png_set_gray_to_rgb(png);
        png_set_expand(png);
    }
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    CreateAlpha();
}

void PngCodec::ReadRows(Png png, std::vector<BYTE>& buffer, int passes, bool interlaced,
                        bool twoBit) {
    if (alpha) {
        ReadAlphaRows(png, buffer, passes, interlaced);
        return;
    }
    const LONG height = Height();
    for (int pass = 0; pass < passes; ++pass) {
        // Later passes of an interlaced file only fill in their own pixels.
        const bool refill = interlaced && pass > 0;
        const bool expand = twoBit && pass == passes - 1;
        for (LONG y = 0; y < height; ++y)
            ReadIndexedRow(png, buffer.data(), height - 1 - y, refill, expand);
    }
}

// libpng delivers blue, green, red and alpha together; they are split into the pixel
// rows and the alpha plane. An interlaced file is gathered whole first, so that every
// pass adds its pixels to the rows the earlier passes left, and split once at the end.
// The buffer belongs to the caller, outside the frames libpng's errors jump over.
void PngCodec::ReadAlphaRows(Png png, std::vector<BYTE>& buffer, int passes, bool interlaced) {
    const LONG height = Height();
    const size_t rowBytes = 4 * static_cast<size_t>(Width());
    if (!interlaced) {
        for (LONG y = 0; y < height; ++y) {
            png_read_row(png, buffer.data(), nullptr);
            SplitAlphaRow(buffer.data(), height - 1 - y);
        }
        return;
    }
    buffer.assign(rowBytes * static_cast<size_t>(height), 0);
    for (int pass = 0; pass < passes; ++pass) {
        for (LONG y = 0; y < height; ++y)
            png_read_row(png, buffer.data() + rowBytes * static_cast<size_t>(y), nullptr);
    }
    for (LONG y = 0; y < height; ++y)
        SplitAlphaRow(buffer.data() + rowBytes * static_cast<size_t>(y), height - 1 - y);
}

void PngCodec::SplitAlphaRow(const BYTE* bgra, LONG row) {
    BYTE* pixels = RowPointer(static_cast<DWORD>(row));
    const LONG width = Width();
    BYTE* alphaRow = alpha.get() + static_cast<size_t>(row) * static_cast<size_t>(width);
    LONG x = 0;
    // Four pixels at a time: four 32-bit reads become three 32-bit writes of colour.
    for (; x + 4 <= width; x += 4, bgra += 16, pixels += 12) {
        const DWORD p0 = ReadLe32(bgra);
        const DWORD p1 = ReadLe32(bgra + 4);
        const DWORD p2 = ReadLe32(bgra + 8);
        const DWORD p3 = ReadLe32(bgra + 12);
        WriteLe32(pixels, (p0 & 0xFFFFFF) | p1 << 24);
        WriteLe32(pixels + 4, ((p1 >> 8) & 0xFFFF) | p2 << 16);
        WriteLe32(pixels + 8, ((p2 >> 16) & 0xFF) | p3 << 8);
        alphaRow[x] = static_cast<BYTE>(p0 >> 24);
        alphaRow[x + 1] = static_cast<BYTE>(p1 >> 24);
        alphaRow[x + 2] = static_cast<BYTE>(p2 >> 24);
        alphaRow[x + 3] = static_cast<BYTE>(p3 >> 24);
    }
    for (; x < width; ++x, bgra += 4, pixels += 3) {
        pixels[0] = bgra[0];
        pixels[1] = bgra[1];
        pixels[2] = bgra[2];
        alphaRow[x] = bgra[3];
    }
}

void PngCodec::ReadIndexedRow(Png png, BYTE* buffer, LONG row, bool refill, bool expand) {
    BYTE* pixels = RowPointer(static_cast<DWORD>(row));
    if (refill)
        std::memcpy(buffer, pixels, info.rowStride);
    png_read_row(png, buffer, nullptr);
    if (expand)
        ExpandTwoBitPixels(buffer, Width());
    std::memcpy(pixels, buffer, info.rowStride);
}
