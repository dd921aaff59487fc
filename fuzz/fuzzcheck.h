// What every fuzz target asserts about a decoded image: its layout is self-consistent
// and every row and the alpha plane lie inside their allocations; and about a failed
// decode: it has a reason.
#pragma once

#include "image/rasterimage.h"

inline void CheckDecodedImage(CRasterImage& image) {
    const BITMAPINFOHEADER& header = image.Header();
    const ImageInfo& info = image.Info();
    if (!image.IsValid() || header.biHeight < 0 || header.biWidth < 0)
        __builtin_trap();
    if (info.pixels != image.Dib() + 40 + 4 * header.biClrUsed ||
        header.biSizeImage != info.rowStride * static_cast<DWORD>(header.biHeight))
        __builtin_trap();
    // Touching both ends of every row lets AddressSanitizer check the block's extent.
    volatile BYTE sink = 0;
    for (DWORD row = 0; row < static_cast<DWORD>(header.biHeight) && info.rowStride; ++row) {
        const BYTE* pixels = image.RowPointer(row);
        sink = sink ^ pixels[0] ^ pixels[info.rowStride - 1];
    }
    const size_t alphaBytes = static_cast<size_t>(header.biWidth) * header.biHeight;
    if (image.AlphaPlane() && alphaBytes)
        sink = sink ^ image.AlphaPlane()[0] ^ image.AlphaPlane()[alphaBytes - 1];
    image.PixelColor(header.biWidth - 1, header.biHeight - 1);
    image.PixelColor(-1, header.biHeight);
}

// A decoder that fails says why, with a code the message table knows.
inline void CheckFailureReason(const CRasterImage& image) {
    if (!*ImageErrorText(image.LastError()))
        __builtin_trap();
}
