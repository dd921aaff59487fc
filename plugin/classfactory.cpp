#include "plugin/classfactory.h"

#include "plugin/plugin.h"

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return CShutdownPlugin::New(iid, out);
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(BOOL) {
    return E_NOTIMPL;
}
