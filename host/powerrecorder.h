// Redirects the power calls of a loaded module to a record. One recorder at a time.
#pragma once

#include "host/importpatch.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct PowerCall {
    // "ExitWindowsEx", "SetSystemPowerState", "LockWorkStation", "InitiateShutdownW" (its
    // flags and reason), or "SendNotifyMessageA" (the display turned off: its wParam and
    // lParam); otherwise the call's first two arguments
    std::string function;
    DWORD first;
    DWORD second;
};

// The computer the module sees while a recorder is installed: what the power
// capabilities, the token's shutdown privilege, the list of sessions and the version
// check say. By default
// one that can do everything, with nobody else signed in.
struct SimulatedComputer {
    bool canSleep = true;       // a classic sleep state, S3
    bool modernStandby = false; // sleeps with the screen off instead
    bool canHibernate = true;   // S4 with a hibernation file
    bool shutdownPrivilege = true;
    bool otherUsers = false;
    bool windows8 = true; // what the version check answers: hybrid shut-down exists
};

class CPowerRecorder {
public:
    CPowerRecorder();
    ~CPowerRecorder();
    CPowerRecorder(const CPowerRecorder&) = delete;
    CPowerRecorder& operator=(const CPowerRecorder&) = delete;

    // True when every power call of the module now lands here. Never let the module
    // act when this fails: the real calls end the session.
    bool Install(HMODULE module);
    void Uninstall();

    std::vector<PowerCall> calls;
    // Told of each call as it is recorded.
    std::function<void(const PowerCall&)> onCall;
    // When set, each call is refused with this error, as Windows refuses a user without
    // the shutdown privilege.
    DWORD refuseWith = ERROR_SUCCESS;
    SimulatedComputer computer;

private:
    bool Redirect(HMODULE module, const char* dll, const char* function, void* replacement);

    std::vector<CImportPatch> patches;
};
