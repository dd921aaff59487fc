// The DLL's entry point and the four exports of an in-process COM server.
#include "plugin/classfactory.h"
#include "api/hostapi.h"
#include "base/module.h"
#include "plugin/registration.h"

#include <commctrl.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        Module::SetHandle(instance);
        InitCommonControls();
    }
    // Unloaded while the process goes on: its classes must not outlive its code. At
    // process exit nothing is left to call them.
    if (reason == DLL_PROCESS_DETACH && !reserved)
        Module::UnregisterWindowClasses();
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ShutdownPlugin))
        return CLASS_E_CLASSNOTAVAILABLE;
    return CClassFactory::New(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return Module::ObjectCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    return RegisterServer(Module::Handle());
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return UnregisterServer();
}
