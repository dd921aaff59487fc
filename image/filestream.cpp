#include "image/filestream.h"

size_t FileStream::Read(void* buffer, size_t size, size_t count) {
    return file ? std::fread(buffer, size, count, file) : 0;
}

size_t FileStream::Write(const void* buffer, size_t size, size_t count) {
    return file ? std::fwrite(buffer, size, count, file) : 0;
}

bool FileStream::Seek(LONG offset, int origin) {
    return file && std::fseek(file, offset, origin) == 0;
}

LONG FileStream::Tell() {
    return file ? static_cast<LONG>(std::ftell(file)) : 0;
}

LONG FileStream::Size() {
    if (!file)
        return -1;
    const long position = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, position, SEEK_SET);
    return static_cast<LONG>(size);
}

bool FileStream::Flush() {
    return file && std::fflush(file) == 0;
}

bool FileStream::Eof() {
    return !file || std::feof(file) != 0;
}

LONG FileStream::Error() {
    return file ? std::ferror(file) : -1;
}

bool FileStream::PutC(BYTE value) {
    return file && std::fputc(value, file) == value;
}

LONG FileStream::GetC() {
    return file ? std::getc(file) : -1;
}
