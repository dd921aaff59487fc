#include "core/registration.h"

#include "core/hostapi.h"
#include "core/module.h"
#include "core/owners.h"

#include <comcat.h>
#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

namespace {

struct RegistryEntry {
    HKEY root;
    const char* keyFormat;
    const char* valueName;
    const char* data; // null: the key is only created
};

// The class identifier in registry form, "{76E81AEA-...}".
HRESULT ClassIdText(char (&text)[MAX_PATH]) {
    LPOLESTR wide = nullptr;
    HRESULT hr = StringFromIID(CLSID_ShutdownPlugin, &wide);
    if (FAILED(hr))
        return hr;
    int converted = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, MAX_PATH, nullptr, nullptr);
    CoTaskMemFree(wide);
    return converted > 0 ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT WriteEntry(const RegistryEntry& entry, const char* classId) {
    char keyName[MAX_PATH * 2];
    wsprintfA(keyName, entry.keyFormat, classId);
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(entry.root, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    if (entry.data) {
        status =
            RegSetValueExA(key, entry.valueName, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(entry.data), lstrlenA(entry.data) + 1);
    }
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterCategory() {
    ComApartment apartment;
    ICatRegister* created = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICatRegister, reinterpret_cast<void**>(&created));
    if (FAILED(hr))
        return hr;
    ComPtr<ICatRegister> manager(created);
    CATID categories[1] = {CATID_HostPlugins};
    return manager->RegisterClassImplCategories(CLSID_ShutdownPlugin, 1, categories);
}

} // namespace

HRESULT RegisterServer(HMODULE module) {
    char classId[MAX_PATH];
    HRESULT hr = ClassIdText(classId);
    if (FAILED(hr))
        return hr;
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(module, modulePath, MAX_PATH);

    const RegistryEntry entries[] = {
        {HKEY_CLASSES_ROOT, "CLSID\\%s", nullptr, PLUGIN_DISPLAY_NAME},
        {HKEY_CLASSES_ROOT, "CLSID\\%s\\InprocServer32", nullptr, modulePath},
        {HKEY_CLASSES_ROOT, "CLSID\\%s\\InprocServer32", "ThreadingModel", "Apartment"},
        {HKEY_LOCAL_MACHINE, "Software\\Kestrova\\Dockmere\\plugins\\%s", nullptr,
         PLUGIN_DISPLAY_NAME},
        {HKEY_LOCAL_MACHINE, "Software\\Kestrova\\Dockmere\\plugins\\%s\\Langs", nullptr, nullptr},
    };
    // A user without the rights to write them must hear so, not be told all went well.
    for (const RegistryEntry& entry : entries) {
        hr = WriteEntry(entry, classId);
        if (FAILED(hr))
            return hr;
    }
    return SUCCEEDED(RegisterCategory()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    char classId[MAX_PATH];
    HRESULT hr = ClassIdText(classId);
    if (FAILED(hr))
        return hr;
    char keyName[MAX_PATH * 2];
    wsprintfA(keyName, "CLSID\\%s", classId);
    LONG status = SHDeleteKeyA(HKEY_CLASSES_ROOT, keyName);
    // Removing what is already gone is no failure.
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return S_OK;
    return HRESULT_FROM_WIN32(status);
}
