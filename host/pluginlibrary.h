// Loads the plug-in DLL the way the host does and makes objects through its class
// factory, without registration.
#pragma once

#include "api/hostapi.h"
#include "base/owners.h"

#include <string>

class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path);

    bool IsLoaded() const { return static_cast<bool>(module); }
    HMODULE Module() const { return module.Get(); }
    const std::string& Path() const { return path; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
    HRESULT CanUnloadNow() const;
    HRESULT RegisterServer() const;
    HRESULT UnregisterServer() const;

    // A new plug-in object with one reference, or null.
    IHostPlugin* CreatePlugin() const;

private:
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using PlainFn = HRESULT(WINAPI*)();

    std::string path;
    LibraryHandle module;
    GetClassObjectFn getClassObject = nullptr;
    PlainFn canUnloadNow = nullptr;
    PlainFn registerServer = nullptr;
    PlainFn unregisterServer = nullptr;
};
