// The class factory that makes CShutdownPlugin objects.
#pragma once

#include "base/comobject.h"

class CClassFactory final : public ComObject<CClassFactory, IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    friend ComObject;
    static constexpr InterfaceRow INTERFACES[] = {Row<IClassFactory>(IID_IClassFactory)};
    void Destroy() { delete this; }
};
