#include "image/memorystream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int64_t GROWTH_BLOCK = 4096;
constexpr int64_t MAX_POSITION = std::numeric_limits<LONG>::max();

} // namespace

MemoryStream::MemoryStream(const void* data, LONG bytes)
    : buffer(static_cast<const BYTE*>(data)), size(data ? std::max<LONG>(bytes, 0) : 0),
      capacity(size) {}

MemoryStream::~MemoryStream() {
    Close();
}

bool MemoryStream::Close() {
    if (owned) {
        owned.reset();
        buffer = nullptr;
        size = 0;
    }
    return true;
}

size_t MemoryStream::Read(void* target, size_t itemSize, size_t count) {
    if (!buffer || !target || position > size)
        return 0;
    const uint64_t wanted = static_cast<uint64_t>(itemSize) * count;
    if (wanted == 0 || (count != 0 && wanted / count != itemSize))
        return 0;
    const size_t bytes = static_cast<size_t>(std::min<uint64_t>(wanted, size - position));
    std::memcpy(target, buffer + position, bytes);
    position += static_cast<LONG>(bytes);
    return bytes / itemSize;
}

// Grows in whole 4096-byte blocks, and turns a borrowed block into an owned copy.
bool MemoryStream::Reserve(int64_t bytes) {
    if (bytes > MAX_POSITION)
        return false;
    if (bytes <= capacity && owned)
        return true;
    int64_t newCapacity = capacity;
    if (bytes > capacity)
        newCapacity =
            capacity + GROWTH_BLOCK * ((bytes - capacity - 1) / GROWTH_BLOCK) + GROWTH_BLOCK;
    std::unique_ptr<BYTE[]> grown(new (std::nothrow) BYTE[static_cast<size_t>(newCapacity)]());
    if (!grown)
        return false;
    std::memcpy(grown.get(), buffer, static_cast<size_t>(size));
    owned = std::move(grown);
    buffer = owned.get();
    capacity = static_cast<LONG>(newCapacity);
    return true;
}

size_t MemoryStream::Write(const void* source, size_t itemSize, size_t count) {
    if (!buffer || !source)
        return 0;
    const uint64_t bytes = static_cast<uint64_t>(itemSize) * count;
    if (bytes == 0 || bytes / count != itemSize || bytes > static_cast<uint64_t>(MAX_POSITION))
        return 0;
    if (!Reserve(position + static_cast<int64_t>(bytes)))
        return 0;
    std::memcpy(owned.get() + position, source, static_cast<size_t>(bytes));
    position += static_cast<LONG>(bytes);
    size = std::max(size, position);
    return count;
}

bool MemoryStream::Seek(LONG offset, int origin) {
    int64_t target;
    switch (origin) {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<int64_t>(position) + offset;
        break;
    case 2:
        target = static_cast<int64_t>(size) + offset;
        break;
    default:
        return false;
    }
    if (target < 0 || target > MAX_POSITION)
        return false;
    position = static_cast<LONG>(target);
    return true;
}

LONG MemoryStream::Tell() {
    return buffer ? position : -1;
}

LONG MemoryStream::Size() {
    return buffer ? size : -1;
}

bool MemoryStream::Flush() {
    return buffer != nullptr;
}

bool MemoryStream::Eof() {
    return !buffer || position >= size;
}

LONG MemoryStream::Error() {
    return buffer ? (position > size ? 1 : 0) : -1;
}

LONG MemoryStream::GetC() {
    if (!buffer || position >= size)
        return -1;
    return buffer[position++];
}
