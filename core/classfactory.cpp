#include "core/classfactory.h"

#include "core/module.h"
#include "core/plugin.h"

#include <new>

CClassFactory::CClassFactory() {
    Module::ObjectCreated();
}

CClassFactory::~CClassFactory() {
    Module::ObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE CClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
        return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CClassFactory::AddRef() {
    return InterlockedIncrement(&refCount);
}

ULONG STDMETHODCALLTYPE CClassFactory::Release() {
    LONG count = InterlockedDecrement(&refCount);
    if (count == 0)
        delete this;
    return count;
}

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
