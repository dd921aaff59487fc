// Loading a CRasterImage from streams, files and FILEs.
#include "image/rasterimage.h"

#include "base/owners.h"
#include "image/bmpcodec.h"
#include "image/filestream.h"
#include "image/icocodec.h"
#include "image/pngcodec.h"

#include <cstring>

namespace {

constexpr char UNKNOWN_FORMAT[] = "Decode: Unknown or wrong format";

template <typename Codec>
bool DecodeWith(Codec& codec, const CRasterImage& settings, ImageStream& stream) {
    codec.CopySettingsFrom(settings);
    return codec.DecodeFrom(stream);
}

} // namespace

bool CRasterImage::KeepFailure(const CRasterImage& decoder, bool withFrameCount) {
    SetError(decoder.info.lastError);
    if (withFrameCount)
        info.frameCount = decoder.info.frameCount;
    return false;
}

bool CRasterImage::Decode(ImageStream& stream, DWORD formatId) {
    switch (formatId) {
    case FormatUnknown:
        return DecodeAny(stream);
    case FormatBmp: {
        BmpCodec codec;
        return DecodeWith(codec, *this, stream) ? TakeOver(codec) : KeepFailure(codec, false);
    }
    case FormatPng: {
        PngCodec codec;
        return DecodeWith(codec, *this, stream) ? TakeOver(codec) : KeepFailure(codec, false);
    }
    case FormatIco: {
        IcoCodec codec;
        return DecodeWith(codec, *this, stream) ? TakeOver(codec) : KeepFailure(codec, true);
    }
    default:
        SetError(UNKNOWN_FORMAT);
        return false;
    }
}

// Tries every decoder from the same position; their own messages are not kept.
bool CRasterImage::DecodeAny(ImageStream& stream) {
    const LONG start = stream.Tell();
    {
        BmpCodec codec;
        if (DecodeWith(codec, *this, stream))
            return TakeOver(codec);
    }
    stream.Seek(start, 0);
    {
        IcoCodec codec;
        if (DecodeWith(codec, *this, stream))
            return TakeOver(codec);
    }
    stream.Seek(start, 0);
    {
        PngCodec codec;
        if (DecodeWith(codec, *this, stream))
            return TakeOver(codec);
    }
    stream.Seek(start, 0);
    SetError(UNKNOWN_FORMAT);
    return false;
}

bool CRasterImage::DecodeStdio(FILE* file, DWORD formatId) {
    FileStream stream(file);
    return Decode(stream, formatId);
}

// A file named as one format may be another: after a failed typed attempt every
// decoder is tried, but the typed attempt's message is the one kept.
bool CRasterImage::LoadFromFile(const char* path, DWORD formatId) {
    if (formatId > FormatUnknown && formatId <= FormatIco) {
        StdioFile file(std::fopen(path, "rb"));
        if (!file)
            return false;
        if (DecodeStdio(file.Get(), formatId))
            return true;
    }
    char typedError[sizeof(info.lastError)];
    std::memcpy(typedError, info.lastError, sizeof typedError);

    StdioFile file(std::fopen(path, "rb"));
    if (!file)
        return false;
    const bool decoded = DecodeStdio(file.Get(), FormatUnknown);
    if (!decoded && formatId != FormatUnknown)
        std::memcpy(info.lastError, typedError, sizeof typedError);
    return decoded;
}
