// createcheck <expected module path>: creates the plug-in through COM from the
// registration alone, the way the host does, and tells which file the object came from.
// Exits 0 when the object exists and comes from the expected file.
#include "api/hostapi.h"

#include <objbase.h>

#include <cstdio>

namespace {

// The module holding the object's code, found from its table of operations.
bool ObjectModulePath(IUnknown* object, char (&path)[MAX_PATH]) {
    const void* table = *reinterpret_cast<void* const*>(object);
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const char*>(table), &module))
        return false;
    return GetModuleFileNameA(module, path, MAX_PATH) > 0;
}

int Check(const char* expected) {
    IHostPlugin* plugin = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShutdownPlugin, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IHostPlugin, reinterpret_cast<void**>(&plugin));
    if (FAILED(hr) || !plugin) {
        std::printf("createcheck: CoCreateInstance failed with 0x%08lX\n",
                    static_cast<unsigned long>(hr));
        return 1;
    }
    char path[MAX_PATH] = {};
    bool found = ObjectModulePath(plugin, path);
    plugin->Release();
    std::printf("createcheck: the object comes from %s\n", found ? path : "an unknown module");
    return found && lstrcmpiA(path, expected) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: createcheck <expected module path>\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    int status = Check(argv[1]);
    CoUninitialize();
    return status;
}
