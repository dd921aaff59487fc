#include "tests/host/failingstream.h"

namespace {

class CFailingStream final : public IStream {
public:
    CFailingStream(StreamPtr inner, int failingRead)
        : inner(std::move(inner)), failingRead(failingRead) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override {
        if (++reads == failingRead) {
            if (read)
                *read = 0;
            return STG_E_READFAULT;
        }
        return inner.Get()->Read(data, size, read);
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
        return inner.Get()->Write(data, size, written);
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override {
        return inner.Get()->Seek(move, origin, position);
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
        return inner.Get()->SetSize(size);
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override {
        return inner.Get()->CopyTo(target, size, read, written);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return inner.Get()->Commit(flags); }
    HRESULT STDMETHODCALLTYPE Revert() override { return inner.Get()->Revert(); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                         DWORD type) override {
        return inner.Get()->LockRegion(offset, size, type);
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                           DWORD type) override {
        return inner.Get()->UnlockRegion(offset, size, type);
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override {
        return inner.Get()->Stat(stat, flags);
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }

private:
    StreamPtr inner;
    int failingRead;
    int reads = 0;
    ULONG references = 1;
};

} // namespace

StreamPtr StreamFailingRead(const std::vector<BYTE>& bytes, int failingRead) {
    StreamPtr inner = StreamWith(bytes);
    if (!inner.Get())
        return StreamPtr();
    return StreamPtr(new CFailingStream(std::move(inner), failingRead));
}
