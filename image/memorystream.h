// An ImageStream over a block of memory. Over borrowed bytes (a locked resource) it
// only reads; the first write takes a private copy, so borrowed bytes are never
// written, moved or freed.
#pragma once

#include "image/imagestream.h"

#include <cstdint>
#include <memory>

class MemoryStream : public ImageStream {
public:
    MemoryStream() = default;
    MemoryStream(const void* data, LONG bytes);
    ~MemoryStream() override;

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(LONG offset, int origin) override;
    LONG Tell() override;
    LONG Size() override;
    bool Flush() override;
    bool Eof() override;
    LONG Error() override;
    LONG GetC() override;

    LONG Capacity() const { return capacity; }
    const BYTE* Data() const { return buffer; }

private:
    bool Reserve(int64_t bytes);

    const BYTE* buffer = nullptr;
    std::unique_ptr<BYTE[]> owned;
    LONG size = 0;
    LONG position = 0;
    LONG capacity = 0;
};
