#include "tests/ledger/injectedstream.h"

#include "tests/ledger/faultinjector.h"

#include <utility>

StreamPtr CInjectedStream::Over(StreamPtr inner) {
    return StreamPtr(new CInjectedStream(std::move(inner)));
}

HRESULT STDMETHODCALLTYPE CInjectedStream::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_ISequentialStream && iid != IID_IStream)
        return E_NOINTERFACE;
    *out = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CInjectedStream::Release() {
    const LONG count = InterlockedDecrement(&references);
    if (count == 0)
        delete this;
    return count;
}

HRESULT STDMETHODCALLTYPE CInjectedStream::Read(void* data, ULONG size, ULONG* read) {
    if (read)
        *read = 0;
    if (CFaultInjector::Refuses(STREAM_READ))
        return STG_E_READFAULT;
    return inner->Read(data, size, read);
}

HRESULT STDMETHODCALLTYPE CInjectedStream::Write(const void* data, ULONG size, ULONG* written) {
    if (written)
        *written = 0;
    if (CFaultInjector::Refuses(STREAM_WRITE))
        return STG_E_WRITEFAULT;
    return inner->Write(data, size, written);
}
