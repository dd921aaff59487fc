// The calls that end the session. Kept in one place and called through the module's
// imports only, so that a host (or a test) can redirect them.
#pragma once

#include <windows.h>

// Enables the shutdown privilege, then performs one action value; other values do
// nothing.
void PerformPowerAction(DWORD action);
