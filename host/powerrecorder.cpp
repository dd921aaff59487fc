#include "host/powerrecorder.h"

#include <cstring>
#include <utility>

namespace {

CPowerRecorder* active = nullptr;
FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR) = nullptr;

// What the call answers: TRUE, or FALSE with the error the recorder refuses with.
BOOL Record(const char* function, DWORD first, DWORD second) {
    if (!active)
        return TRUE;
    active->calls.push_back({function, first, second});
    if (active->onCall)
        active->onCall(active->calls.back());
    if (active->refuseWith == ERROR_SUCCESS)
        return TRUE;
    SetLastError(active->refuseWith);
    return FALSE;
}

BOOL WINAPI RecordExitWindowsEx(UINT flags, DWORD reason) {
    return Record("ExitWindowsEx", flags, reason);
}

BOOL WINAPI RecordSetSystemPowerState(BOOL suspend, BOOL force) {
    return Record("SetSystemPowerState", suspend, force);
}

BOOL WINAPI RecordLockWorkStation() {
    return Record("LockWorkStation", 0, 0);
}

FARPROC WINAPI RedirectGetProcAddress(HMODULE module, LPCSTR name) {
    bool byName = HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0;
    if (byName && std::strcmp(name, "LockWorkStation") == 0)
        return reinterpret_cast<FARPROC>(RecordLockWorkStation);
    return realGetProcAddress(module, name);
}

} // namespace

CPowerRecorder::CPowerRecorder() {
    realGetProcAddress =
        reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcAddress")));
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
    patches.clear();
    if (active == this)
        active = nullptr;
}

bool CPowerRecorder::Redirect(HMODULE module, const char* dll, const char* function,
                              void* replacement) {
    CImportPatch patch;
    if (!patch.Install(module, dll, function, replacement))
        return false;
    patches.push_back(std::move(patch));
    return true;
}
