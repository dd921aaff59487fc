// The calls that end the session. Kept in one place and called through the module's
// imports only, so that a host (or a test) can redirect them.
#pragma once

#include <windows.h>

struct PowerResult {
    bool refused = false;        // Windows answered the call with FALSE
    DWORD error = ERROR_SUCCESS; // its last error then
};

// Enables the shutdown privilege, then performs one action value; other values do
// nothing.
PowerResult PerformPowerAction(DWORD action);

// Tells the user, in a message box over owner, that Windows refused the action and why.
void ReportRefusedAction(HWND owner, HMODULE strings, DWORD action, DWORD error);
