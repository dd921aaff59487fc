#include "dock/dryrun.h"

#include <shellapi.h>

namespace {

const char* WhatItDoes(const PowerCall& call) {
    if (call.function == "LockWorkStation")
        return "lock the workstation so that another user can log on";
    if (call.function == "SetSystemPowerState")
        return call.first ? "put the computer on stand by" : "hibernate the computer";
    switch (call.first) {
    case EWX_LOGOFF:
        return "log off";
    case EWX_SHUTDOWN | EWX_POWEROFF:
        return "turn off the computer";
    case EWX_REBOOT:
        return "restart the computer";
    default:
        return "end the session";
    }
}

} // namespace

bool CDryRun::Install(HMODULE plugin, HWND owner, bool refuse) {
    if (refuse) {
        recorder.refuseWith = ERROR_PRIVILEGE_NOT_HELD;
    } else {
        recorder.onCall = [owner](const PowerCall& call) {
            MessageBoxA(owner, Describe(call).c_str(), "Quiescor dry run",
                        MB_OK | MB_ICONINFORMATION);
        };
    }
    return recorder.Install(plugin);
}

std::string CDryRun::Describe(const PowerCall& call) {
    return std::string("Quiescor would now ") + WhatItDoes(call);
}
