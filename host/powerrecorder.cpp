#include "host/powerrecorder.h"

#include "plugin/powercapabilities.h"

#include <wtsapi32.h>

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

// Answers as InitiateShutdown does: an error code, 0 for success.
DWORD WINAPI RecordInitiateShutdownW(LPWSTR, LPWSTR, DWORD, DWORD flags, DWORD reason) {
    return Record("InitiateShutdownW", flags, reason) ? ERROR_SUCCESS : GetLastError();
}

BOOL WINAPI RecordSendNotifyMessageA(HWND, UINT, WPARAM wParam, LPARAM lParam) {
    return Record("SendNotifyMessageA", static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
}

SimulatedComputer Computer() {
    return active ? active->computer : SimulatedComputer();
}

BOOLEAN WINAPI SimulateGetPwrCapabilities(PSYSTEM_POWER_CAPABILITIES capabilities) {
    const SimulatedComputer computer = Computer();
    *capabilities = {};
    capabilities->SystemS3 = computer.canSleep;
    ModernStandbyFlag(*capabilities) = computer.modernStandby;
    capabilities->SystemS4 = computer.canHibernate;
    capabilities->HiberFilePresent = computer.canHibernate;
    capabilities->SystemS5 = TRUE;
    return TRUE;
}

// Succeeds as Windows does, saying whether the token held the privilege.
BOOL WINAPI SimulateAdjustTokenPrivileges(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                          PDWORD) {
    SetLastError(Computer().shutdownPrivilege ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

// The services' session 0, the caller's own, and another user's when there is one.
BOOL WINAPI SimulateWTSEnumerateSessionsA(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOA* sessions,
                                          DWORD* count) {
    static char services[] = "Services";
    static char console[] = "Console";
    static char other[] = "RDP-Tcp#1";
    static WTS_SESSION_INFOA list[3];
    DWORD own = 1;
    ProcessIdToSessionId(GetCurrentProcessId(), &own);
    list[0] = {0, services, WTSDisconnected};
    list[1] = {own, console, WTSActive};
    list[2] = {own + 1, other, WTSActive};
    *sessions = list;
    *count = Computer().otherUsers ? 3 : 2;
    return TRUE;
}

void WINAPI SimulateWTSFreeMemory(PVOID) {}

// The module asks only whether it runs on Windows 8 or later.
BOOL WINAPI SimulateVerifyVersionInfoW(LPOSVERSIONINFOEXW, DWORD, DWORDLONG) {
    if (Computer().windows8)
        return TRUE;
    SetLastError(ERROR_OLD_WIN_VERSION);
    return FALSE;
}

template <typename Function> FARPROC AsFarProc(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

struct Replacement {
    const char* name;
    FARPROC function;
};

// What the module looks up rather than imports.
const Replacement LOOKED_UP[] = {
    {"LockWorkStation", AsFarProc(RecordLockWorkStation)},
    {"InitiateShutdownW", AsFarProc(RecordInitiateShutdownW)},
    {"GetPwrCapabilities", AsFarProc(SimulateGetPwrCapabilities)},
    {"WTSEnumerateSessionsA", AsFarProc(SimulateWTSEnumerateSessionsA)},
    {"WTSFreeMemory", AsFarProc(SimulateWTSFreeMemory)},
};

FARPROC WINAPI RedirectGetProcAddress(HMODULE module, LPCSTR name) {
    bool byName = HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0;
    for (const Replacement& replacement : LOOKED_UP) {
        if (byName && std::strcmp(name, replacement.name) == 0)
            return replacement.function;
    }
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
    // redirected too, as are the questions asked before acting. Anything less than all of
    // the others is a failure.
    bool ok = Redirect(module, "kernel32.dll", "GetProcAddress",
                       reinterpret_cast<void*>(RedirectGetProcAddress)) &&
              Redirect(module, "user32.dll", "ExitWindowsEx",
                       reinterpret_cast<void*>(RecordExitWindowsEx)) &&
              Redirect(module, "kernel32.dll", "SetSystemPowerState",
                       reinterpret_cast<void*>(RecordSetSystemPowerState)) &&
              Redirect(module, "user32.dll", "SendNotifyMessageA",
                       reinterpret_cast<void*>(RecordSendNotifyMessageA)) &&
              Redirect(module, "advapi32.dll", "AdjustTokenPrivileges",
                       reinterpret_cast<void*>(SimulateAdjustTokenPrivileges)) &&
              Redirect(module, "kernel32.dll", "VerifyVersionInfoW",
                       reinterpret_cast<void*>(SimulateVerifyVersionInfoW));
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
