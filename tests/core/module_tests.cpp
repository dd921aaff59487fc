#include "tests/host/importpatch.h"
#include "tests/host/pluginlibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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

struct Job {
    HANDLE start;
    const std::function<void()>* work;
};

DWORD WINAPI RunJob(LPVOID parameter) {
    auto* job = static_cast<Job*>(parameter);
    WaitForSingleObject(job->start, INFINITE);
    (*job->work)();
    return 0;
}

// Runs the work on this many threads at once, started together.
void RunTogether(int threads, const std::function<void()>& work) {
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Job job = {start, &work};
    std::vector<HANDLE> running;
    for (int i = 0; i < threads; ++i)
        running.push_back(CreateThread(nullptr, 0, RunJob, &job, 0, nullptr));
    SetEvent(start);
    WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE, INFINITE);
    for (HANDLE thread : running)
        CloseHandle(thread);
    CloseHandle(start);
}

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
              static_cast<HRESULT>(0x80040111));
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
              static_cast<HRESULT>(0x80040110));
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

// COM objects may be handed to other threads: no count may lose a step there.
TEST_F(ModuleTest, CountsStayExactWhenThreadsShareTheObjects) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IHostPlugin* plugin = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&plugin)),
              S_OK);
    constexpr int THREADS = 4;
    constexpr ULONG ROUNDS = 100000;
    RunTogether(THREADS, [&] {
        for (ULONG i = 0; i < ROUNDS; ++i) {
            plugin->AddRef();
            factory->AddRef();
            if (i % 16 == 0) {
                IHostPlugin* own = nullptr;
                factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&own));
                own->Release();
            }
        }
    });
    EXPECT_EQ(plugin->Release(), THREADS * ROUNDS);
    EXPECT_EQ(factory->Release(), THREADS * ROUNDS);
    for (ULONG i = 0; i < THREADS * ROUNDS; ++i) {
        plugin->Release();
        factory->Release();
    }
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

    // Registered from a thread of the multi-threaded apartment, the thread stays in it.
    HRESULT registered = E_FAIL, stillInApartment = E_FAIL;
    RunTogether(1, [&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
            return;
        registered = library.RegisterServer();
        stillInApartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(stillInApartment))
            CoUninitialize();
        CoUninitialize();
    });
    EXPECT_EQ(registered, S_OK);
    EXPECT_EQ(stillInApartment, S_FALSE);
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
