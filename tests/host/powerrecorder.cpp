#include "tests/host/powerrecorder.h"

#include <cstring>

namespace {

CPowerRecorder* active = nullptr;
FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR) = nullptr;

void Record(const char* function, DWORD first, DWORD second) {
    if (!active)
        return;
    active->calls.push_back({function, first, second});
    if (active->onCall)
        active->onCall(active->calls.back());
}

BOOL WINAPI RecordExitWindowsEx(UINT flags, DWORD reason) {
    Record("ExitWindowsEx", flags, reason);
    return TRUE;
}

BOOL WINAPI RecordSetSystemPowerState(BOOL suspend, BOOL force) {
    Record("SetSystemPowerState", suspend, force);
    return TRUE;
}

BOOL WINAPI RecordLockWorkStation() {
    Record("LockWorkStation", 0, 0);
    return TRUE;
}

FARPROC WINAPI RedirectGetProcAddress(HMODULE module, LPCSTR name) {
    bool byName = HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0;
    if (byName && std::strcmp(name, "LockWorkStation") == 0)
        return reinterpret_cast<FARPROC>(RecordLockWorkStation);
    return realGetProcAddress(module, name);
}

template <typename T> T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

// The import slot through which the module calls dll!function, or null.
void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    auto* nt = At<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return nullptr;
    for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(At<char>(module, entry->Name), dll) != 0 || !entry->OriginalFirstThunk)
            continue;
        auto* names = At<IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool WriteSlot(void** slot, void* value) {
    DWORD oldProtection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
    return *slot == value;
}

} // namespace

CPowerRecorder::CPowerRecorder() {
    realGetProcAddress = reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcAddress"));
}

CPowerRecorder::~CPowerRecorder() {
    Uninstall();
}

bool CPowerRecorder::Install(HMODULE module) {
    Uninstall();
    active = this;
    // A module that does not import LockWorkStation looks it up, and GetProcAddress is
    // redirected too. Anything less than all three of the others is a failure.
    bool ok = Redirect(module, "kernel32.dll", "GetProcAddress",
                       reinterpret_cast<void*>(RedirectGetProcAddress)) &&
              Redirect(module, "user32.dll", "ExitWindowsEx",
                       reinterpret_cast<void*>(RecordExitWindowsEx)) &&
              Redirect(module, "kernel32.dll", "SetSystemPowerState",
                       reinterpret_cast<void*>(RecordSetSystemPowerState));
    Redirect(module, "user32.dll", "LockWorkStation",
             reinterpret_cast<void*>(RecordLockWorkStation));
    if (!ok)
        Uninstall();
    return ok;
}

void CPowerRecorder::Uninstall() {
    for (const Patch& patch : patches)
        WriteSlot(patch.slot, patch.original);
    patches.clear();
    if (active == this)
        active = nullptr;
}

bool CPowerRecorder::Redirect(HMODULE module, const char* dll, const char* function,
                              void* replacement) {
    void** slot = ImportSlot(module, dll, function);
    if (!slot)
        return false;
    void* original = *slot;
    if (!WriteSlot(slot, replacement))
        return false;
    patches.push_back({slot, original});
    return true;
}
