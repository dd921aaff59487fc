// The class factory that makes CShutdownPlugin objects.
#pragma once

#include "base/comobject.h"

class CClassFactory final : public ComObject<CClassFactory, IClassFactory, IID_IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    friend ComObject;
    void Destroy() { delete this; }
};
