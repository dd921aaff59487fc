#include "image/pngcodec.h"

#include "image/imagestream.h"
#include "image/littleendian.h"
#include "image/pngmemorybudget.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Metadata chunks that libpng would read whole into memory, whatever length they
// claim. The decoder uses none of them, so libpng skips them unread.
constexpr png_byte SKIPPED_CHUNKS[] = "tEXt\0zTXt\0iTXt\0sPLT\0eXIf\0pCAL\0sCAL";
constexpr int SKIPPED_CHUNK_COUNT = sizeof SKIPPED_CHUNKS / 5;
// The most libpng may hold of any other chunk, an ICC profile say; it keeps the chunk
// and its decompressed form, which together must fit in the budget with the rows.
constexpr png_alloc_size_t MAX_CHUNK_BYTES = png_alloc_size_t{4} << 20;
constexpr png_uint_32 MAX_CACHED_CHUNKS = 64;
constexpr size_t PNG_SIGNATURE_BYTES = 8;
static_assert(3 * MAX_CHUNK_BYTES < CPngMemoryBudget::DEFAULT_LIMIT, "chunks must fit the budget");

png_voidp AllocateFromBudget(png_structp png, png_alloc_size_t bytes) {
    return static_cast<CPngMemoryBudget*>(png_get_mem_ptr(png))->Allocate(bytes);
}

void ReturnToBudget(png_structp png, png_voidp block) {
    static_cast<CPngMemoryBudget*>(png_get_mem_ptr(png))->Free(block);
}

// Where libpng's error callback leaves the reason of a failed decode before it jumps
// back to the codec. The codec's own failures put their code here first.
ImageError& JumpReason(png_structp png) {
    return *static_cast<ImageError*>(png_get_error_ptr(png));
}

void StoreError(png_structp png, png_const_charp) {
    if (JumpReason(png) == ImageError::None)
        JumpReason(png) = ImageError::PngRejected;
    png_longjmp(png, 1);
}

[[noreturn]] void Fail(png_structp png, ImageError reason) {
    JumpReason(png) = reason;
    png_error(png, ImageErrorText(reason));
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Owns libpng's read and info structures for one decode, on every exit path; every
// allocation libpng makes for them comes from the budget, and every error it reports
// ends in `reason`.
class PngReadStructs {
public:
    PngReadStructs(CPngMemoryBudget& budget, ImageError& reason) {
        png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &reason, StoreError, IgnoreWarning,
                                       &budget, AllocateFromBudget, ReturnToBudget);
        if (!png) {
            failure = ImageError::PngStructureNotCreated;
            return;
        }
        pngInfo = png_create_info_struct(png);
        if (!pngInfo) {
            failure = ImageError::PngInfoNotCreated;
            return;
        }
        const auto maxSide = static_cast<png_uint_32>(CRasterImage::MAX_SIDE);
        png_set_user_limits(png, maxSide, maxSide);
        png_set_chunk_malloc_max(png, MAX_CHUNK_BYTES);
        png_set_chunk_cache_max(png, MAX_CACHED_CHUNKS);
    }
    ~PngReadStructs() { png_destroy_read_struct(&png, &pngInfo, nullptr); }
    PngReadStructs(const PngReadStructs&) = delete;
    PngReadStructs& operator=(const PngReadStructs&) = delete;

    png_structp png = nullptr;
    png_infop pngInfo = nullptr;
    ImageError failure = ImageError::None;
};

void ReadFromStream(png_structp png, png_bytep data, size_t length) {
    auto* stream = static_cast<ImageStream*>(png_get_io_ptr(png));
    if (stream->Read(data, 1, length) != length)
        Fail(png, ImageError::PngReadError);
}

// A file that is no PNG at all is told apart from a damaged one.
ImageError ReadSignature(ImageStream& stream) {
    png_byte signature[PNG_SIGNATURE_BYTES];
    if (!stream.ReadExact(signature, sizeof signature))
        return ImageError::PngReadError;
    return png_sig_cmp(signature, 0, sizeof signature) == 0 ? ImageError::None : ImageError::NotPng;
}

// 16-bit samples are stripped to 8, and every colour depth becomes 24 bits, as does
// every picture that keeps transparency in an alpha plane.
DWORD ImageDepth(int pixelDepth, bool keepsAlpha) {
    if (keepsAlpha)
        return 24;
    if (pixelDepth == 16)
        return 8;
    return pixelDepth < 16 ? pixelDepth : 24;
}

// An alpha channel, or a colour key on grey or RGB samples. (A palette's transparency
// entries stay opacities of the palette.)
bool KeepsAlpha(png_structp png, png_infop pngInfo) {
    const int colorType = png_get_color_type(png, pngInfo);
    if (colorType & PNG_COLOR_MASK_ALPHA)
        return true;
    return colorType != PNG_COLOR_TYPE_PALETTE && png_get_valid(png, pngInfo, PNG_INFO_tRNS);
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
    CPngMemoryBudget budget;
    return DecodeFrom(stream, budget);
}

bool PngCodec::DecodeFrom(ImageStream& stream, CPngMemoryBudget& budget) {
    ImageError reason = ImageError::None;
    PngReadStructs structs(budget, reason);
    const ImageError early =
        structs.failure != ImageError::None ? structs.failure : ReadSignature(stream);
    if (early != ImageError::None) {
        SetError(early);
        return false;
    }
    RowBuffer rowBuffer;
    if (ReadImage(structs.png, structs.pngInfo, stream, rowBuffer))
        return true;
    // Without a reason, the picture could not be made and Create said why.
    if (reason != ImageError::None)
        SetError(reason);
    return false;
}

// libpng reports errors by jumping back here. Nothing between this frame and the jump
// owns resources: the structures and the row buffer belong to the caller.
bool PngCodec::ReadImage(Png png, PngInfo pngInfo, ImageStream& stream, RowBuffer& rowBuffer) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    return ReadWithinJumpScope(png, pngInfo, stream, rowBuffer);
}

bool PngCodec::ReadWithinJumpScope(Png png, PngInfo pngInfo, ImageStream& stream,
                                   RowBuffer& rowBuffer) {
    png_set_read_fn(png, &stream, ReadFromStream);
    png_set_sig_bytes(png, static_cast<int>(PNG_SIGNATURE_BYTES));
    // It allocates, and libpng reports a failed allocation as an error: only here is
    // there a place for the error to jump back to (without one libpng aborts).
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, SKIPPED_CHUNKS, SKIPPED_CHUNK_COUNT);
    png_read_info(png, pngInfo);

    const int bitDepth = png_get_bit_depth(png, pngInfo);
    const int colorType = png_get_color_type(png, pngInfo);
    const int pixelDepth = bitDepth * png_get_channels(png, pngInfo);
    const bool interlaced = png_get_interlace_type(png, pngInfo) != PNG_INTERLACE_NONE;
    const LONG width = static_cast<LONG>(png_get_image_width(png, pngInfo));
    const LONG height = static_cast<LONG>(png_get_image_height(png, pngInfo));

    const bool keepsAlpha = KeepsAlpha(png, pngInfo);
    SetBackground(png, pngInfo, keepsAlpha);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (!Create(width, height, ImageDepth(pixelDepth, keepsAlpha), FormatPng))
        return false;
    ApplyResolution(png, pngInfo);
    ApplyPalette(png, pngInfo);
    ApplyPaletteTransparency(png, pngInfo);
    if (keepsAlpha)
        RequestAlphaChannel(png, colorType);
    if (colorType & PNG_COLOR_MASK_COLOR)
        png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);

    // The rows libpng will deliver must be exactly what the copy loops expect.
    png_read_update_info(png, pngInfo);
    const int deliveredBits = png_get_bit_depth(png, pngInfo) * png_get_channels(png, pngInfo);
    const int expectedBits = alpha ? 32 : (bitDepth == 2 ? 2 : BitCount());
    if (deliveredBits != expectedBits)
        Fail(png, ImageError::PngRowLayout);
    const size_t rowBytes = std::max<size_t>(png_get_rowbytes(png, pngInfo), info.rowStride) + 10;
    if (!rowBuffer.Allocate(rowBytes))
        Fail(png, ImageError::PngOutOfMemory);

    ReadRows(png, rowBuffer, passes, interlaced, bitDepth == 2);
    png_read_end(png, nullptr);
    return true;
}

// Pictures that keep their transparency are not composited: their background chunk only
// names the key colour.
void PngCodec::SetBackground(Png png, PngInfo pngInfo, bool keepsAlpha) {
    png_color_16p fileBackground = nullptr;
    const bool hasBackground = png_get_bKGD(png, pngInfo, &fileBackground) != 0;
    if (keepsAlpha) {
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
// with an alpha byte that the file never set; that key becomes the alpha plane instead.
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

// Every picture with transparency arrives as blue, green, red and alpha bytes: grey is
// widened to colour, samples below 8 bits to bytes, and a colour key becomes alpha.
void PngCodec::RequestAlphaChannel(Png png, int colorType) {
    if (!(colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    if (colorType != PNG_COLOR_TYPE_RGB_ALPHA)
        png_set_expand(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    CreateAlpha();
}

void PngCodec::ReadRows(Png png, RowBuffer& buffer, int passes, bool interlaced, bool twoBit) {
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
            ReadIndexedRow(png, buffer.Data(), height - 1 - y, refill, expand);
    }
}

// libpng delivers blue, green, red and alpha together; they are split into the pixel
// rows and the alpha plane. An interlaced file is gathered whole first, so that every
// pass adds its pixels to the rows the earlier passes left, and split once at the end.
// The buffer belongs to the caller, outside the frames libpng's errors jump over.
void PngCodec::ReadAlphaRows(Png png, RowBuffer& buffer, int passes, bool interlaced) {
    const LONG height = Height();
    const size_t rowBytes = 4 * static_cast<size_t>(Width());
    if (!interlaced) {
        for (LONG y = 0; y < height; ++y) {
            png_read_row(png, buffer.Data(), nullptr);
            SplitAlphaRow(buffer.Data(), height - 1 - y);
        }
        return;
    }
    if (!buffer.Allocate(rowBytes * static_cast<size_t>(height)))
        Fail(png, ImageError::PngOutOfMemory);
    for (int pass = 0; pass < passes; ++pass) {
        for (LONG y = 0; y < height; ++y)
            png_read_row(png, buffer.Data() + rowBytes * static_cast<size_t>(y), nullptr);
    }
    for (LONG y = 0; y < height; ++y)
        SplitAlphaRow(buffer.Data() + rowBytes * static_cast<size_t>(y), height - 1 - y);
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
