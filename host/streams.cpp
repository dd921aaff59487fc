#include "host/streams.h"

#include <shlwapi.h>

StreamPtr StreamWith(const std::vector<BYTE>& bytes) {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return StreamPtr();
    if (!bytes.empty())
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    Rewind(stream);
    return StreamPtr(stream);
}

std::vector<BYTE> StreamBytes(IStream* stream) {
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start = {};
    ULARGE_INTEGER previous = {};
    stream->Seek(start, STREAM_SEEK_CUR, &previous);
    Rewind(stream);
    ULONG read = 0;
    if (!bytes.empty())
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    LARGE_INTEGER back;
    back.QuadPart = static_cast<LONGLONG>(previous.QuadPart);
    stream->Seek(back, STREAM_SEEK_SET, nullptr);
    return bytes;
}

void Rewind(IStream* stream) {
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
}

StreamPtr ReadOnlyStream(const std::string& path) {
    IStream* stream = nullptr;
    if (FAILED(SHCreateStreamOnFileA(path.c_str(), STGM_READ, &stream)))
        return StreamPtr();
    return StreamPtr(stream);
}
