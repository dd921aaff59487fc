#include "plugin/availabilityquery.h"

#include "base/owners.h"
#include "plugin/poweractions.h"
#include "plugin/powercapabilities.h"
#include "res/resource.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

namespace {

constexpr char EXPLORER_POLICIES[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char SYSTEM_POLICIES[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr DWORD POWER_ACTIONS = ACTION_TURNOFF | ACTION_RESTART | ACTION_STANDBY | ACTION_HIBERNATE;

struct Policy {
    const char* key;
    const char* value;
    DWORD removes;
};

// Group Policy's registry values, set to 1 when the administrator enables them:
// - NoClose, "Remove and prevent access to the Shut Down, Restart, Sleep, and Hibernate
//   commands" (Start Menu and Taskbar); programs that offer those commands are asked to
//   honour it.
// - NoLogoff, "Remove Logoff" (System\Ctrl+Alt+Del Options): removes every item that logs
//   the user off. StartMenuLogOff, "Remove Logoff on the Start Menu": the button stands
//   in for the Start menu's command, so it goes here too.
// - DisableLockWorkstation, "Remove Lock Computer" (System\Ctrl+Alt+Del Options), and
//   HideFastUserSwitching, "Hide entry points for Fast User Switching" (System\Logon):
//   switch user locks the workstation, and is the entry point for switching.
// Source: Microsoft's Group Policy settings reference (Windows Administrative Templates).
constexpr Policy POLICIES[] = {
    {EXPLORER_POLICIES, "NoClose", POWER_ACTIONS},
    {EXPLORER_POLICIES, "NoLogoff", ACTION_LOGOFF},
    {EXPLORER_POLICIES, "StartMenuLogOff", ACTION_LOGOFF},
    {SYSTEM_POLICIES, "DisableLockWorkstation", ACTION_SWITCHUSER},
    {SYSTEM_POLICIES, "HideFastUserSwitching", ACTION_SWITCHUSER},
};

// A REG_DWORD that is there and not 0; anything else counts as not set.
bool DwordSet(HKEY root, const char* key, const char* value) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegistryKey owned(opened);
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    return RegQueryValueExA(owned.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                            &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof data && data != 0;
}

// User policies live under HKEY_CURRENT_USER, computer policies under HKEY_LOCAL_MACHINE.
bool PolicySet(const Policy& policy) {
    return DwordSet(HKEY_CURRENT_USER, policy.key, policy.value) ||
           DwordSet(HKEY_LOCAL_MACHINE, policy.key, policy.value);
}

using GetPwrCapabilitiesFunction = BOOLEAN(WINAPI*)(PSYSTEM_POWER_CAPABILITIES);

// GetPwrCapabilities (powrprof.h) fills SYSTEM_POWER_CAPABILITIES (winnt.h). Looked up, so
// that a system without it loads the plug-in all the same; false when unknown.
bool ReadCapabilities(SYSTEM_POWER_CAPABILITIES& capabilities) {
    LibraryHandle powrprof(LoadLibraryA("powrprof.dll"));
    auto read = LibraryFunction<GetPwrCapabilitiesFunction>(powrprof.Get(), "GetPwrCapabilities");
    capabilities = {};
    return read && read(&capabilities);
}

// Fast Startup is the HiberbootEnabled value of the Session Manager's Power key; ExitWindowsEx
// takes EWX_HYBRID_SHUTDOWN from Windows 8 on, and it needs a hibernation file.
bool FastStartupOn() {
    return IsWindows8OrGreater() &&
           DwordSet(HKEY_LOCAL_MACHINE,
                    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power",
                    "HiberbootEnabled");
}

void ApplyCapabilities(SYSTEM_POWER_CAPABILITIES& capabilities, CActionAvailability& availability) {
    // SystemS1..S3 are the sleep states. A Modern Standby computer (AoAc) has none of them:
    // its sleep is the session from screen off to screen on ("Modern Standby States",
    // Windows hardware design docs), and SetSystemPowerState there would hibernate or fail.
    const bool sleepState = capabilities.SystemS1 || capabilities.SystemS2 || capabilities.SystemS3;
    if (!sleepState && ModernStandbyFlag(capabilities))
        availability.sleepsByScreenOff = true;
    else if (!sleepState)
        availability.MakeUnavailable(ACTION_STANDBY, IDS_WHY_NO_SLEEP);
    // Hibernation needs S4 and the hibernation file, which "powercfg /h off" deletes.
    const bool canHibernate = capabilities.SystemS4 && capabilities.HiberFilePresent;
    if (!canHibernate)
        availability.MakeUnavailable(ACTION_HIBERNATE, IDS_WHY_NO_HIBERNATE);
    availability.hybridShutdown = canHibernate && FastStartupOn();
}

using EnumerateSessionsFunction = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOA*, DWORD*);
using FreeMemoryFunction = void(WINAPI*)(PVOID);

} // namespace

CActionAvailability QueryActionAvailability() {
    CActionAvailability availability;
    for (const Policy& policy : POLICIES) {
        if (!PolicySet(policy))
            continue;
        for (const ActionRow& row : ACTIONS) {
            if (policy.removes & row.bit)
                availability.Remove(row.bit, IDS_WHY_POLICY);
        }
    }
    // ExitWindowsEx and SetSystemPowerState both need SE_SHUTDOWN_NAME in the token.
    if (!EnableShutdownPrivilege()) {
        for (const ActionRow& row : ACTIONS) {
            if (POWER_ACTIONS & row.bit)
                availability.MakeUnavailable(row.bit, IDS_WHY_NO_PRIVILEGE);
        }
    }
    SYSTEM_POWER_CAPABILITIES capabilities;
    if (ReadCapabilities(capabilities))
        ApplyCapabilities(capabilities, availability);
    return availability;
}

// WTSEnumerateSessions (wtsapi32.h): a session in the WTSActive or WTSDisconnected state
// (WTS_CONNECTSTATE_CLASS) has a user signed in. Session 0 holds the services from Windows
// Vista on, and is nobody's.
bool OtherUsersSignedIn() {
    LibraryHandle wtsapi(LoadLibraryA("wtsapi32.dll"));
    auto enumerate =
        LibraryFunction<EnumerateSessionsFunction>(wtsapi.Get(), "WTSEnumerateSessionsA");
    auto release = LibraryFunction<FreeMemoryFunction>(wtsapi.Get(), "WTSFreeMemory");
    DWORD own = 0;
    if (!enumerate || !release || !ProcessIdToSessionId(GetCurrentProcessId(), &own))
        return false;
    WTS_SESSION_INFOA* sessions = nullptr;
    DWORD count = 0;
    if (!enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count) || !sessions)
        return false;
    bool others = false;
    for (DWORD i = 0; i < count && !others; ++i) {
        const WTS_SESSION_INFOA& session = sessions[i];
        others = session.SessionId != own && session.SessionId != 0 &&
                 (session.State == WTSActive || session.State == WTSDisconnected);
    }
    release(sessions);
    return others;
}
