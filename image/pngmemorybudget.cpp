#include "image/pngmemorybudget.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Each block starts with its size, padded so that what libpng gets stays aligned for
// any type.
constexpr size_t PREFIX = std::max(sizeof(size_t), alignof(std::max_align_t));

} // namespace

void* CPngMemoryBudget::Allocate(size_t bytes) {
    largestRequest = std::max(largestRequest, bytes);
    if (bytes > limit - inUse) {
        ++refusals;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(PREFIX + bytes));
    if (!block)
        return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    inUse += bytes;
    peak = std::max(peak, inUse);
    return block + PREFIX;
}

void CPngMemoryBudget::Free(void* block) {
    if (!block)
        return;
    unsigned char* start = static_cast<unsigned char*>(block) - PREFIX;
    size_t bytes = 0;
    std::memcpy(&bytes, start, sizeof bytes);
    inUse -= bytes;
    std::free(start);
}
