#include "host/pluginlibrary.h"

PluginLibrary::PluginLibrary(const std::string& path)
    : path(path), module(LoadLibraryA(path.c_str())),
      getClassObject(LibraryFunction<GetClassObjectFn>(module.Get(), "DllGetClassObject")),
      canUnloadNow(LibraryFunction<PlainFn>(module.Get(), "DllCanUnloadNow")),
      registerServer(LibraryFunction<PlainFn>(module.Get(), "DllRegisterServer")),
      unregisterServer(LibraryFunction<PlainFn>(module.Get(), "DllUnregisterServer")) {}

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
    IClassFactory* made = nullptr;
    if (FAILED(GetClassObject(CLSID_ShutdownPlugin, IID_IClassFactory,
                              reinterpret_cast<void**>(&made))))
        return nullptr;
    ComPtr<IClassFactory> factory(made);
    IHostPlugin* plugin = nullptr;
    factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&plugin));
    return plugin;
}
