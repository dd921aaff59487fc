#include "image/imagestream.h"

bool ImageStream::PutC(BYTE value) {
    return Write(&value, 1, 1) == 1;
}

LONG ImageStream::Remaining() {
    const LONG size = Size();
    const LONG position = Tell();
    if (size < 0 || position < 0 || position > size)
        return 0;
    return size - position;
}

bool ImageStream::ReadExact(void* buffer, size_t bytes) {
    return Read(buffer, 1, bytes) == bytes;
}
