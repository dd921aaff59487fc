#include "plugin/registration.h"

#include "api/hostapi.h"
#include "base/module.h"
#include "base/owners.h"

#include <comcat.h>
#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

namespace {

// The keys, with %s for the class identifier.
constexpr char CLASS_KEY[] = "CLSID\\%s";
constexpr char SERVER_KEY[] = "CLSID\\%s\\InprocServer32";
constexpr char PLUGIN_KEY[] = "Software\\Kestrova\\Dockmere\\plugins\\%s";
constexpr char LANGUAGES_KEY[] = "Software\\Kestrova\\Dockmere\\plugins\\%s\\Langs";

// What a row writes into its key: a text of its own, the module's path, or nothing.
enum class RowData { Text, ModulePath, KeyOnly };

struct RegistryRow {
    HKEY root;
    const char* keyFormat;
    const char* valueName; // null: the key's default value
    RowData data;
    const char* text;
};

// The class's keys, then the host's plug-in key, written in this order. Not constexpr: the
// root keys are casts.
const RegistryRow ROWS[] = {
    {HKEY_CLASSES_ROOT, CLASS_KEY, nullptr, RowData::Text, PLUGIN_DISPLAY_NAME},
    {HKEY_CLASSES_ROOT, SERVER_KEY, nullptr, RowData::ModulePath, nullptr},
    {HKEY_CLASSES_ROOT, SERVER_KEY, "ThreadingModel", RowData::Text, "Apartment"},
    {HKEY_LOCAL_MACHINE, PLUGIN_KEY, nullptr, RowData::Text, PLUGIN_DISPLAY_NAME},
    {HKEY_LOCAL_MACHINE, LANGUAGES_KEY, nullptr, RowData::KeyOnly, nullptr},
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

void KeyName(const char* format, const char* classId, char (&name)[MAX_PATH * 2]) {
    wsprintfA(name, format, classId);
}

HRESULT WriteRow(const RegistryRow& row, const char* classId, const char* modulePath) {
    char keyName[MAX_PATH * 2];
    KeyName(row.keyFormat, classId, keyName);
    HKEY created = nullptr;
    LONG status = RegCreateKeyExA(row.root, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                  nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    RegistryKey key(created);
    if (row.data == RowData::KeyOnly)
        return S_OK;
    const char* data = row.data == RowData::ModulePath ? modulePath : row.text;
    status = RegSetValueExA(key.Get(), row.valueName, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data), lstrlenA(data) + 1);
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

    // A user without the rights to write them must hear so, not be told all went well.
    for (const RegistryRow& row : ROWS) {
        hr = WriteRow(row, classId, modulePath);
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
    KeyName(CLASS_KEY, classId, keyName);
    LONG status = SHDeleteKeyA(HKEY_CLASSES_ROOT, keyName);
    // Removing what is already gone is no failure.
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return S_OK;
    return HRESULT_FROM_WIN32(status);
}
