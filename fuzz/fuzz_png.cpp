// The PNG decoder alone on arbitrary bytes. Whatever a file claims, libpng asks for no
// more than its budget and gives all of it back.
#include "fuzz/fuzzcheck.h"
#include "fuzz/pngchecksums.h"
#include "image/memorystream.h"
#include "image/pngcodec.h"
#include "image/pngmemorybudget.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes = WithValidChunkCrcs(data, size);
    MemoryStream stream(bytes.data(), static_cast<LONG>(bytes.size()));
    CPngMemoryBudget budget;
    PngCodec codec;
    if (codec.DecodeFrom(stream, budget))
        CheckDecodedImage(codec);
    else
        CheckFailureReason(codec);
    if (budget.LargestRequest() > budget.Limit() || budget.InUse() != 0)
        __builtin_trap();
    return 0;
}
