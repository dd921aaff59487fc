#include "tests/host/streams.h"

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

HRESULT STDMETHODCALLTYPE CFullStream::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) ||
                 IsEqualIID(iid, IID_IStream);
    *out = known ? this : nullptr;
    return known ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CFullStream::Read(void*, ULONG, ULONG* read) {
    if (read)
        *read = 0;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE CFullStream::Write(const void*, ULONG size, ULONG* taken) {
    ULONG take = size < room - written ? size : room - written;
    written += take;
    if (taken)
        *taken = take;
    return take == size ? S_OK : STG_E_MEDIUMFULL;
}
