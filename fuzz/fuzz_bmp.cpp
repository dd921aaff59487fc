// The BMP decoder alone on arbitrary bytes.
#include "fuzz/fuzzcheck.h"
#include "image/memorystream.h"
#include "image/bmpcodec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(data, static_cast<LONG>(size));
    BmpCodec codec;
    if (codec.DecodeFrom(stream))
        CheckDecodedImage(codec);
    else
        CheckFailureReason(codec);
    return 0;
}
