#include "core/poweractions.h"

#include "core/actionflags.h"

namespace {

class TokenHandle {
public:
    TokenHandle() {
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            token = nullptr;
    }
    ~TokenHandle() {
        if (token)
            CloseHandle(token);
    }
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;
    HANDLE Get() const { return token; }

private:
    HANDLE token = nullptr;
};

void EnableShutdownPrivilege() {
    TokenHandle token;
    if (!token.Get())
        return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA("", "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

// Not every system has it, so it is looked up rather than imported.
void LockTheWorkstation() {
    HMODULE user = LoadLibraryA("user32.dll");
    if (!user)
        return;
    using LockFn = BOOL(WINAPI*)();
    auto lock =
        reinterpret_cast<LockFn>(reinterpret_cast<void*>(GetProcAddress(user, "LockWorkStation")));
    if (lock)
        lock();
    FreeLibrary(user);
}

} // namespace

void PerformPowerAction(DWORD action) {
    EnableShutdownPrivilege();
    switch (action) {
    case ACTION_LOGOFF:
        ExitWindowsEx(EWX_LOGOFF, 0);
        break;
    case ACTION_TURNOFF:
        ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0);
        break;
    case ACTION_RESTART:
        ExitWindowsEx(EWX_REBOOT, 0);
        break;
    case ACTION_STANDBY:
        SetSystemPowerState(TRUE, FALSE);
        break;
    case ACTION_HIBERNATE:
        SetSystemPowerState(FALSE, FALSE);
        break;
    case ACTION_SWITCHUSER:
        LockTheWorkstation();
        break;
    default:
        break;
    }
}
