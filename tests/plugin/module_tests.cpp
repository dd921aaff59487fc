#include "host/importpatch.h"
#include "host/pluginlibrary.h"
#include "tests/host/builtplugin.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr char CLASS_KEY[] = "CLSID\\{76E81AEA-3C5B-4CCA-BA26-9630E69AB5AE}";
constexpr char PLUGIN_KEY[] =
    "Software\\Kestrova\\Dockmere\\plugins\\{76E81AEA-3C5B-4CCA-BA26-9630E69AB5AE}";
constexpr char CATEGORY_KEY[] = "CLSID\\{76E81AEA-3C5B-4CCA-BA26-9630E69AB5AE}\\Implemented "
                                "Categories\\{49E86696-EAA6-45A2-9480-C78C013B9713}";

bool KeyExists(HKEY root, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The text of a value, or "<missing>".
std::string ValueText(HKEY root, const std::string& keyName, const char* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    LONG status =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return "<missing>";
    return data;
}

DWORD ValueCount(HKEY root, const std::string& keyName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values;
}

DWORD RunAndWait(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

LONG WINAPI RefuseCreateKey(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                            LPDWORD) {
    return ERROR_ACCESS_DENIED;
}

DWORD WINAPI RefuseDeleteKey(HKEY, LPCSTR) {
    return ERROR_ACCESS_DENIED;
}

// A thread that is in another apartment already.
HRESULT WINAPI RefuseApartment(LPVOID) {
    return RPC_E_CHANGED_MODE;
}

int uninitialized = 0;
void WINAPI CountUninitialize() {
    ++uninitialized;
}

// Runs a call into a module one instruction at a time and, between any two of the
// module's instructions, `between`: what another thread could do at just that moment.
class CInterleaver {
public:
    explicit CInterleaver(HMODULE module) : module(module), size(ModuleImageSize(module)) {}

    // The number of times `between` ran.
    int Run(const std::function<void()>& call, const std::function<void()>& between) {
        this->between = &between;
        entered = false;
        interruptions = 0;
        active = this;
        PVOID handler = AddVectoredExceptionHandler(1, Step);
        asm volatile("pushfl; orl $0x100, (%%esp); popfl" ::: "memory", "cc");
        call();
        active = nullptr;
        RemoveVectoredExceptionHandler(handler);
        return interruptions;
    }

private:
    static constexpr DWORD TRAP_FLAG = 0x100;

    static LONG CALLBACK Step(EXCEPTION_POINTERS* exception) {
        if (!active || exception->ExceptionRecord->ExceptionCode != EXCEPTION_SINGLE_STEP)
            return EXCEPTION_CONTINUE_SEARCH;
        const DWORD offset =
            exception->ContextRecord->Eip - reinterpret_cast<DWORD>(active->module);
        if (offset < active->size) {
            active->entered = true;
            (*active->between)();
            ++active->interruptions;
        } else if (active->entered) {
            active = nullptr; // back from the module: run on freely
            return EXCEPTION_CONTINUE_EXECUTION;
        }
        exception->ContextRecord->EFlags |= TRAP_FLAG;
        return EXCEPTION_CONTINUE_EXECUTION;
    }

    static inline CInterleaver* active = nullptr;
    HMODULE module;
    DWORD size;
    const std::function<void()>* between = nullptr;
    bool entered = false;
    int interruptions = 0;
};

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.IsLoaded()) << library.Path(); }

    IClassFactory* Factory() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(library.GetClassObject(CLSID_ShutdownPlugin, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory)),
                  S_OK);
        return factory;
    }
    std::string ModulePath() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(library.Module(), path, MAX_PATH);
        return path;
    }

    PluginLibrary library{BuiltPluginPath()};
};

TEST_F(ModuleTest, ClassObjectOnlyForTheOneClass) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(library.GetClassObject(IID_IHostPlugin, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);

    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(library.GetClassObject(CLSID_ShutdownPlugin, IID_IHostPlugin, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(library.CanUnloadNow(), S_OK) << "a refused factory is not left alive";

    IUnknown* unknown = nullptr;
    EXPECT_EQ(library.GetClassObject(CLSID_ShutdownPlugin, IID_IUnknown,
                                     reinterpret_cast<void**>(&unknown)),
              S_OK);
    ASSERT_NE(unknown, nullptr);
    unknown->Release();
}

TEST_F(ModuleTest, FactoryRefusesAggregationLockingAndForeignInterfaces) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);

    // The factory must refuse before it ever touches the outer object.
    DWORD outer = 0;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(&outer), IID_IHostPlugin, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);

    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IHostPlugin, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    EXPECT_EQ(factory->LockServer(TRUE), static_cast<HRESULT>(0x80004001));
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_OK) << "LockServer must not keep the module loaded";
}

TEST_F(ModuleTest, ObjectsKeepTheModuleLoadedUntilTheirLastRelease) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IHostPlugin* plugin = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&plugin)),
              S_OK);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);

    EXPECT_EQ(plugin->AddRef(), 2u);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(plugin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(plugin));
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(plugin->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(plugin->Release(), 1u);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(plugin->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

// COM objects may be handed to other threads: whatever instruction of AddRef or
// Release one thread is at, another one's step on the same count is not lost.
TEST_F(ModuleTest, CountsLoseNoStepWhenThreadsShareTheObjects) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IHostPlugin* plugin = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&plugin)),
              S_OK);
    CInterleaver interleaver(library.Module());
    const struct {
        IUnknown* object;
        bool adds;
    } steps[] = {{plugin, true}, {plugin, false}, {factory, true}, {factory, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.adds ? "AddRef" : "Release");
        IUnknown* object = step.object;
        const ULONG before = object->AddRef() - 1;
        object->Release();
        const int added = interleaver.Run([&] { step.adds ? object->AddRef() : object->Release(); },
                                          [&] { object->AddRef(); });
        ASSERT_GT(added, 0);
        object->AddRef();
        // A count that went wrong must not be released further: stop at once.
        ASSERT_EQ(object->Release(), step.adds ? before + added + 1 : before + added - 1);
        for (int undo = 0; undo < added; ++undo)
            object->Release();
    }
    EXPECT_EQ(plugin->Release(), 0u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, StartsNoSockets) {
    EXPECT_FALSE(ModuleImports(library.Module(), "ws2_32.dll"));
    EXPECT_TRUE(ModuleImports(library.Module(), "ole32.dll"));
}

TEST_F(ModuleTest, RegistrationReportsWhatTheSystemRefuses) {
    {
        CImportPatch refuse;
        ASSERT_TRUE(refuse.Install(library.Module(), "advapi32.dll", "RegCreateKeyExA",
                                   reinterpret_cast<void*>(RefuseCreateKey)));
        EXPECT_EQ(library.RegisterServer(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    }
    {
        CImportPatch refuse;
        ASSERT_TRUE(refuse.Install(library.Module(), "shlwapi.dll", "SHDeleteKeyA",
                                   reinterpret_cast<void*>(RefuseDeleteKey)));
        EXPECT_EQ(library.UnregisterServer(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    }

    // COM is left as it was found on a thread that is in another apartment already.
    CImportPatch apartment, leave;
    ASSERT_TRUE(apartment.Install(library.Module(), "ole32.dll", "CoInitialize",
                                  reinterpret_cast<void*>(RefuseApartment)));
    ASSERT_TRUE(leave.Install(library.Module(), "ole32.dll", "CoUninitialize",
                              reinterpret_cast<void*>(CountUninitialize)));
    uninitialized = 0;
    library.RegisterServer();
    EXPECT_EQ(uninitialized, 0);
    apartment.Remove();
    leave.Remove();
    EXPECT_EQ(library.UnregisterServer(), S_OK);
}

TEST_F(ModuleTest, RegistrationWritesTheKeysAndCategoryAndUnregistrationRemovesTheClass) {
    ASSERT_EQ(library.RegisterServer(), S_OK);
    EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, CLASS_KEY, nullptr), "Quiescor");
    EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, std::string(CLASS_KEY) + "\\InprocServer32", nullptr),
              ModulePath());
    EXPECT_EQ(
        ValueText(HKEY_CLASSES_ROOT, std::string(CLASS_KEY) + "\\InprocServer32", "ThreadingModel"),
        "Apartment");
    EXPECT_EQ(ValueText(HKEY_LOCAL_MACHINE, PLUGIN_KEY, nullptr), "Quiescor");
    EXPECT_EQ(ValueCount(HKEY_LOCAL_MACHINE, std::string(PLUGIN_KEY) + "\\Langs"), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, CATEGORY_KEY));

    // Registered, the class is reachable the ordinary COM way.
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IHostPlugin* plugin = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ShutdownPlugin, nullptr, CLSCTX_INPROC_SERVER, IID_IHostPlugin,
                               reinterpret_cast<void**>(&plugin)),
              S_OK);
    ASSERT_NE(plugin, nullptr);
    DWORD one = 0;
    EXPECT_EQ(plugin->GetProperty(1, 0, &one), S_OK);
    EXPECT_EQ(one, 1u);
    plugin->Release();
    CoUninitialize();

    EXPECT_EQ(library.UnregisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, CLASS_KEY));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, PLUGIN_KEY)) << "the host's key is the host's";
    EXPECT_EQ(library.UnregisterServer(), S_OK);
}

TEST_F(ModuleTest, Regsvr32RegistersAndUnregisters) {
    std::string quoted = "\"" + ModulePath() + "\"";
    ASSERT_EQ(RunAndWait("regsvr32.exe /s " + quoted), 0u);
    EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, std::string(CLASS_KEY) + "\\InprocServer32", nullptr),
              ModulePath());
    EXPECT_EQ(ValueText(HKEY_LOCAL_MACHINE, PLUGIN_KEY, nullptr), "Quiescor");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, CATEGORY_KEY));

    EXPECT_EQ(RunAndWait("regsvr32.exe /s /u " + quoted), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, CLASS_KEY));
    EXPECT_EQ(RunAndWait("regsvr32.exe /s /u " + quoted), 0u) << "already gone is fine";
}

} // namespace
