#include "tests/host/failingstream.h"

#include <utility>

namespace {

class CFailingStream final : public IStream {
public:
    CFailingStream(StreamPtr inner, StreamRefusal refuses)
        : inner(std::move(inner)), refuses(std::move(refuses)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_ISequentialStream && iid != IID_IStream)
            return E_NOINTERFACE;
        *out = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override {
        if (read)
            *read = 0;
        if (refuses(StreamCall::Read))
            return STG_E_READFAULT;
        return inner->Read(data, size, read);
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
        if (written)
            *written = 0;
        if (refuses(StreamCall::Write))
            return STG_E_WRITEFAULT;
        return inner->Write(data, size, written);
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override {
        return inner->Seek(move, origin, position);
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return inner->SetSize(size); }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override {
        return inner->CopyTo(target, size, read, written);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return inner->Commit(flags); }
    HRESULT STDMETHODCALLTYPE Revert() override { return inner->Revert(); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                         DWORD type) override {
        return inner->LockRegion(offset, size, type);
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                           DWORD type) override {
        return inner->UnlockRegion(offset, size, type);
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override {
        return inner->Stat(stat, flags);
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override { return inner->Clone(clone); }

private:
    ~CFailingStream() = default;

    StreamPtr inner;
    StreamRefusal refuses;
    LONG references = 1;
};

} // namespace

StreamPtr StreamRefusing(StreamPtr inner, StreamRefusal refuses) {
    if (!inner.Get())
        return StreamPtr();
    return StreamPtr(new CFailingStream(std::move(inner), std::move(refuses)));
}

StreamPtr StreamFailingRead(const std::vector<BYTE>& bytes, int failingRead) {
    int reads = 0;
    return StreamRefusing(StreamWith(bytes), [reads, failingRead](StreamCall call) mutable {
        return call == StreamCall::Read && ++reads == failingRead;
    });
}
