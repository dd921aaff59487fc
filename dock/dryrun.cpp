#include "dock/dryrun.h"

#include "dock/dockoptions.h"

#include <shellapi.h>

namespace {

constexpr UINT HOW_FLAGS = EWX_FORCE | EWX_FORCEIFHUNG | EWX_HYBRID_SHUTDOWN;
// InitiateShutdown's flags.
constexpr DWORD FORCE_OTHERS = 0x1;
constexpr DWORD RESTART = 0x4;
constexpr DWORD HYBRID = 0x200;

const char* WhatItDoes(const PowerCall& call) {
    if (call.function == "LockWorkStation")
        return "lock the workstation so that another user can log on";
    if (call.function == "SetSystemPowerState")
        return call.first ? "put the computer on stand by" : "hibernate the computer";
    if (call.function == "SendNotifyMessageA")
        return "turn the screen off, which puts this computer to sleep";
    if (call.function == "InitiateShutdownW")
        return call.first & RESTART ? "restart the computer" : "turn off the computer";
    switch (call.first & ~HOW_FLAGS) {
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

std::string HowItDoesIt(const PowerCall& call) {
    const bool exitWindows = call.function == "ExitWindowsEx";
    const bool initiate = call.function == "InitiateShutdownW";
    if (!exitWindows && !initiate)
        return "";
    std::string how;
    if (call.first & (exitWindows ? EWX_HYBRID_SHUTDOWN : HYBRID))
        how += ", ready for a fast start";
    if (call.first & (exitWindows ? EWX_FORCE : FORCE_OTHERS))
        how += ", ending the other users' sessions";
    if (call.second & SHTDN_REASON_FLAG_PLANNED)
        how += " (planned)";
    return how;
}

} // namespace

bool CDryRun::Install(HMODULE plugin, HWND owner, const DockOptions& options) {
    recorder.computer = options.computer;
    for (const std::string& name : options.policies) {
        policies.push_back(SetPolicy(name));
        if (!policies.back() || !policies.back()->IsSet())
            return false;
    }
    if (options.refuse) {
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
    return std::string("Quiescor would now ") + WhatItDoes(call) + HowItDoesIt(call);
}
