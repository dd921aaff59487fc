// An ImageStream over a C runtime FILE. It never closes the FILE: whoever opened it does.
#pragma once

#include "image/imagestream.h"

#include <cstdio>

class FileStream : public ImageStream {
public:
    explicit FileStream(FILE* file) : file(file) {}

    bool Close() override { return true; }
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(LONG offset, int origin) override;
    LONG Tell() override;
    LONG Size() override;
    bool Flush() override;
    bool Eof() override;
    LONG Error() override;
    bool PutC(BYTE value) override;
    LONG GetC() override;

private:
    FILE* file;
};
