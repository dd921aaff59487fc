// libpng's allocations for one decode, drawn from a fixed budget. A request that would
// take libpng past it is refused, so no length or size claimed by a file can make
// libpng allocate more than the image library allows; libpng then fails the decode.
#pragma once

#include <cstddef>

class CPngMemoryBudget {
public:
    // Far below the image cap: libpng needs its row buffers and zlib's window, and keeps
    // no chunk larger than the decoder's chunk limit.
    static constexpr size_t DEFAULT_LIMIT = size_t{16} << 20;

    explicit CPngMemoryBudget(size_t limit = DEFAULT_LIMIT) : limit(limit) {}
    CPngMemoryBudget(const CPngMemoryBudget&) = delete;
    CPngMemoryBudget& operator=(const CPngMemoryBudget&) = delete;

    void* Allocate(size_t bytes);
    void Free(void* block);

    size_t Limit() const { return limit; }
    size_t InUse() const { return inUse; }
    size_t Peak() const { return peak; }
    // The largest single request, granted or not.
    size_t LargestRequest() const { return largestRequest; }
    unsigned Refusals() const { return refusals; }

private:
    size_t limit;
    size_t inUse = 0;
    size_t peak = 0;
    size_t largestRequest = 0;
    unsigned refusals = 0;
};
