// Loads the plug-in DLL the way the host does and makes objects through its class
// factory, without registration.
#pragma once

#include "core/hostapi.h"

#include <string>

class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool IsLoaded() const { return module != nullptr; }
    HMODULE Module() const { return module; }
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
    HMODULE module = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    PlainFn canUnloadNow = nullptr;
    PlainFn registerServer = nullptr;
    PlainFn unregisterServer = nullptr;
};
