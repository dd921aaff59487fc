// The IUnknown of the module's COM objects, written once: one interface besides
// IUnknown, a reference count that starts at one and is changed with interlocked
// operations, and the module's count of live objects. It adds nothing to the interface's
// table: Derived destroys itself in Destroy when the last reference goes.
#pragma once

#include "base/module.h"

#include <windows.h>
#include <unknwn.h>

#include <new>

template <typename Derived, typename Interface, const IID& INTERFACE_ID>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, INTERFACE_ID) && !IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    // A new object handed out through QueryInterface; it goes again when that refuses.
    static HRESULT New(REFIID iid, void** out) {
        auto* object = new (std::nothrow) Derived();
        if (!object)
            return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refCount); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = InterlockedDecrement(&refCount);
        if (count == 0)
            static_cast<Derived*>(this)->Destroy();
        return count;
    }

protected:
    ComObject() { Module::ObjectCreated(); }
    ~ComObject() { Module::ObjectDestroyed(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    LONG References() const { return refCount; }

private:
    LONG refCount = 1;
};
