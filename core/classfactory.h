// The class factory that makes CShutdownPlugin objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

class CClassFactory : public IClassFactory {
public:
    CClassFactory();
    virtual ~CClassFactory();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    LONG refCount = 1;
};
