// Real COM streams over global memory, as the host hands them to the plug-in.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <utility>
#include <vector>

class StreamPtr {
public:
    StreamPtr() = default;
    explicit StreamPtr(IStream* stream) : stream(stream) {}
    StreamPtr(const StreamPtr&) = delete;
    StreamPtr& operator=(const StreamPtr&) = delete;
    StreamPtr(StreamPtr&& other) noexcept : stream(other.stream) { other.stream = nullptr; }
    StreamPtr& operator=(StreamPtr&& other) noexcept {
        std::swap(stream, other.stream);
        return *this;
    }
    ~StreamPtr() {
        if (stream)
            stream->Release();
    }
    IStream* Get() const { return stream; }
    IStream* operator->() const { return stream; }

private:
    IStream* stream = nullptr;
};

// A stream holding these bytes, positioned at its start.
StreamPtr StreamWith(const std::vector<BYTE>& bytes);
// Everything the stream holds, whatever its position.
std::vector<BYTE> StreamBytes(IStream* stream);
void Rewind(IStream* stream);

// A stream on a full disk: it takes `room` bytes, then refuses with STG_E_MEDIUMFULL.
// Lives on the test's stack; nothing but writing is supported.
class CFullStream : public IStream {
public:
    explicit CFullStream(ULONG room) : room(room) {}

    ULONG written = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG size, ULONG* taken) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    ULONG room;
};
