#include "core/classfactory.h"

#include "core/plugin.h"

#include <new>

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    auto* plugin = new (std::nothrow) CShutdownPlugin();
    if (!plugin)
        return E_OUTOFMEMORY;
    HRESULT hr = plugin->QueryInterface(iid, out);
    plugin->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(BOOL) {
    return E_NOTIMPL;
}
