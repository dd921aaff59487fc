// The calls that end the session. Kept in one place and called through the module's
// imports only, so that a host (or a test) can redirect them.
#pragma once

#include <windows.h>

class CActionAvailability;

struct PowerResult {
    bool refused = false;        // Windows answered the call with FALSE
    DWORD error = ERROR_SUCCESS; // its last error then
};

// Enables the shutdown privilege; false when the process's token does not hold it.
bool EnableShutdownPrivilege();

// How Windows is asked for one action: the way this computer sleeps and shuts down, and
// whether the sessions of other users are ended without asking them.
struct PowerRequest {
    DWORD action = 0;
    bool sleepsByScreenOff = false;
    bool hybridShutdown = false;
    bool forceOtherSessions = false;
};
PowerRequest RequestFor(DWORD action, const CActionAvailability& now);

// Enables the shutdown privilege, then performs the action; other values do nothing.
PowerResult PerformPowerAction(const PowerRequest& request);

// Tells the user, in a message box over owner, why the action cannot be done.
void ReportImpossibleAction(HWND owner, HMODULE strings, DWORD action,
                            const CActionAvailability& now);
// Tells the user that none of the enabled actions can be done.
void ReportNothingPossible(HWND owner, HMODULE strings);
// Asks before turning off or restarting while others are signed in; true to go on.
bool AskToEndOtherSessions(HWND owner, HMODULE strings, DWORD action);

// Tells the user, in a message box over owner, that Windows refused the action and why.
void ReportRefusedAction(HWND owner, HMODULE strings, DWORD action, DWORD error);
