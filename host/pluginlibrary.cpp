#include "host/pluginlibrary.h"

PluginLibrary::PluginLibrary(const std::string& path) : path(path) {
    module = LoadLibraryA(path.c_str());
    if (!module)
        return;
    getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    canUnloadNow = reinterpret_cast<PlainFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    registerServer = reinterpret_cast<PlainFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    unregisterServer = reinterpret_cast<PlainFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
}

PluginLibrary::~PluginLibrary() {
    if (module)
        FreeLibrary(module);
}

HRESULT PluginLibrary::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return getClassObject ? getClassObject(clsid, iid, out) : E_FAIL;
}

HRESULT PluginLibrary::CanUnloadNow() const {
    return canUnloadNow ? canUnloadNow() : E_FAIL;
}

HRESULT PluginLibrary::RegisterServer() const {
    return registerServer ? registerServer() : E_FAIL;
}

HRESULT PluginLibrary::UnregisterServer() const {
    return unregisterServer ? unregisterServer() : E_FAIL;
}

IHostPlugin* PluginLibrary::CreatePlugin() const {
    IClassFactory* factory = nullptr;
    if (FAILED(GetClassObject(CLSID_ShutdownPlugin, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory))))
        return nullptr;
    IHostPlugin* plugin = nullptr;
    factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&plugin));
    factory->Release();
    return plugin;
}
