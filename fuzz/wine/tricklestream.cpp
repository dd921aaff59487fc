#include "fuzz/wine/tricklestream.h"

#include <algorithm>
#include <cstring>

HRESULT STDMETHODCALLTYPE CTrickleStream::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ISequentialStream) &&
        !IsEqualIID(iid, IID_IStream))
        return E_NOINTERFACE;
    *out = static_cast<IStream*>(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CTrickleStream::Read(void* buffer, ULONG wanted, ULONG* read) {
    size_t count = std::min<size_t>(wanted, bytes.size() - position);
    if (chunk)
        count = std::min(count, chunk);
    if (count)
        std::memcpy(buffer, bytes.data() + position, count);
    position += count;
    if (read)
        *read = static_cast<ULONG>(count);
    if (count == wanted)
        return S_OK;
    return position == bytes.size() && failAtEnd ? STG_E_READFAULT : S_FALSE;
}
