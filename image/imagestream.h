// The byte source the decoders read: a FILE, or a block of memory such as a resource.
#pragma once

#include "image/imagetypes.h"

#include <cstddef>

class ImageStream {
public:
    virtual ~ImageStream() = default;
    virtual bool Close() = 0;
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    virtual bool Seek(LONG offset, int origin) = 0;
    virtual LONG Tell() = 0;
    virtual LONG Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual LONG Error() = 0;
    virtual bool PutC(BYTE value);
    virtual LONG GetC() = 0;

    // Bytes from the position to the end; 0 when either is unknown. Decoders check
    // every length and offset a file claims against this before trusting it.
    LONG Remaining();
    bool ReadExact(void* buffer, size_t bytes);
};
