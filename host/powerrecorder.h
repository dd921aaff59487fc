// Redirects the power calls of a loaded module to a record. One recorder at a time.
#pragma once

#include "host/importpatch.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct PowerCall {
    std::string function; // "ExitWindowsEx", "SetSystemPowerState" or "LockWorkStation"
    DWORD first;
    DWORD second;
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

private:
    bool Redirect(HMODULE module, const char* dll, const char* function, void* replacement);

    std::vector<CImportPatch> patches;
};
