// The PNG decoder alone on arbitrary bytes.
#include "fuzz/fuzzcheck.h"
#include "fuzz/pngchecksums.h"
#include "image/memorystream.h"
#include "image/pngcodec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes = WithValidChunkCrcs(data, size);
    MemoryStream stream(bytes.data(), static_cast<LONG>(bytes.size()));
    PngCodec codec;
    if (codec.DecodeFrom(stream))
        CheckDecodedImage(codec);
    return 0;
}
