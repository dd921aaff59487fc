// The IUnknown of the module's COM objects, written once. Derived names the interfaces it
// answers in a table, as the SDK samples' QITAB does:
//
//     static constexpr InterfaceRow INTERFACES[] = {Row<IFoo>(IID_IFoo), Row<IBar>(IID_IBar)};
//
// IUnknown is answered with the first row, so that the object has one identity whichever
// interface it is asked through; a row may name a base of one of the interfaces (IDispatch
// of IAccessible). The reference count starts at one and is changed with interlocked
// operations, and the module counts live objects. Nothing is added to the interfaces'
// tables: Derived destroys itself in Destroy when the last reference goes.
#pragma once

#include "base/module.h"

#include <windows.h>
#include <unknwn.h>

#include <new>

template <typename Derived, typename... Interfaces> class ComObject : public Interfaces... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        IUnknown* found = nullptr;
        if (IsEqualIID(iid, IID_IUnknown))
            found = Derived::INTERFACES[0].as(*this);
        for (const InterfaceRow& row : Derived::INTERFACES) {
            if (!found && IsEqualIID(iid, *row.iid))
                found = row.as(*this);
        }
        if (!found)
            return E_NOINTERFACE;
        *out = found;
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
    // One interface the object answers: its identifier, and the object seen as it.
    struct InterfaceRow {
        const IID* iid;
        IUnknown* (*as)(ComObject& object);
    };
    template <typename Interface> static constexpr InterfaceRow Row(const IID& iid) {
        return {&iid,
                [](ComObject& object) -> IUnknown* { return static_cast<Interface*>(&object); }};
    }

    ComObject() { Module::ObjectCreated(); }
    ~ComObject() { Module::ObjectDestroyed(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    LONG References() const { return refCount; }

private:
    LONG refCount = 1;
};
