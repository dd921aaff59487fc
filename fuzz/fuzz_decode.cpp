// The automatic detection over all three decoders, and the whole-image operations on
// whatever it accepts.
#include "fuzz/fuzzcheck.h"
#include "fuzz/pngchecksums.h"
#include "image/memorystream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes = WithValidChunkCrcs(data, size);
    MemoryStream stream(bytes.data(), static_cast<LONG>(bytes.size()));
    CRasterImage image;
    if (!image.Decode(stream, FormatUnknown))
        return 0;
    CheckDecodedImage(image);
    // Small inputs can claim images of hundreds of megabytes; whole-image passes over
    // those would only slow the search down.
    if (image.Header().biSizeImage > (4u << 20))
        return 0;
    image.FlipVertical();
    image.Invert();
    CRasterImage copy(image);
    CheckDecodedImage(copy);
    return 0;
}
