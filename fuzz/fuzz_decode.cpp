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
    // Small inputs can claim images of many millions of pixels; whole-image passes over
    // those, pixel by pixel for some, would only slow the search down.
    if (static_cast<uint64_t>(image.Width()) * image.Height() > (1u << 20))
        return 0;
    image.FlipVertical();
    image.Invert();
    CRasterImage copy(image);
    CheckDecodedImage(copy);
    return 0;
}
