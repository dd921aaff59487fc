#include "core/registration.h"

#include "core/hostapi.h"

#include <comcat.h>
#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

namespace {

constexpr char DISPLAY_NAME[] = "Quiescor";

struct RegistryEntry {
    HKEY root;
    const char* keyFormat;
    const char* valueName;
    const char* data; // null: the key is only created
};

// The class identifier in registry form, "{76E81AEA-...}".
bool ClassIdText(char (&text)[MAX_PATH]) {
    LPOLESTR wide = nullptr;
    if (FAILED(StringFromIID(CLSID_ShutdownPlugin, &wide)))
        return false;
    int converted = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, MAX_PATH, nullptr, nullptr);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(CoGetMalloc(1, &allocator))) {
        allocator->Free(wide);
        allocator->Release();
    }
    return converted > 0;
}

void WriteEntry(const RegistryEntry& entry, const char* classId) {
    char keyName[MAX_PATH * 2];
    wsprintfA(keyName, entry.keyFormat, classId);
    HKEY key = nullptr;
    if (RegCreateKeyExA(entry.root, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (entry.data) {
        RegSetValueExA(key, entry.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.data),
                       lstrlenA(entry.data) + 1);
    }
    RegCloseKey(key);
}

HRESULT RegisterCategory() {
    CoInitialize(nullptr);
    ICatRegister* manager = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICatRegister, reinterpret_cast<void**>(&manager));
    if (SUCCEEDED(hr)) {
        CATID categories[1] = {CATID_HostPlugins};
        hr = manager->RegisterClassImplCategories(CLSID_ShutdownPlugin, 1, categories);
        manager->Release();
    }
    CoUninitialize();
    return hr;
}

} // namespace

HRESULT RegisterServer(HMODULE module) {
    char classId[MAX_PATH];
    if (!ClassIdText(classId))
        return SELFREG_E_CLASS;
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(module, modulePath, MAX_PATH);

    const RegistryEntry entries[] = {
        {HKEY_CLASSES_ROOT, "CLSID\\%s", nullptr, DISPLAY_NAME},
        {HKEY_CLASSES_ROOT, "CLSID\\%s\\InprocServer32", nullptr, modulePath},
        {HKEY_CLASSES_ROOT, "CLSID\\%s\\InprocServer32", "ThreadingModel", "Apartment"},
        {HKEY_LOCAL_MACHINE, "Software\\Kestrova\\Dockmere\\plugins\\%s", nullptr, DISPLAY_NAME},
        {HKEY_LOCAL_MACHINE, "Software\\Kestrova\\Dockmere\\plugins\\%s\\Langs", nullptr, nullptr},
    };
    for (const RegistryEntry& entry : entries)
        WriteEntry(entry, classId);

    return SUCCEEDED(RegisterCategory()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    char classId[MAX_PATH];
    if (!ClassIdText(classId))
        return S_OK;
    char keyName[MAX_PATH * 2];
    wsprintfA(keyName, "CLSID\\%s", classId);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, keyName);
    return S_OK;
}
