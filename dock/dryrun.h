// --dry-run: the plug-in's power calls land in a recorder, and the dock says what
// would have happened instead of ending the session. With --refuse, each call is refused
// as Windows refuses a user without the shutdown privilege, and the plug-in says so. The
// plug-in sees the computer the options describe, and the policies they name are set
// while the dock runs.
#pragma once

#include "host/registryvalue.h"
#include "host/powerrecorder.h"

#include <memory>
#include <string>
#include <vector>

struct DockOptions;

class CDryRun {
public:
    // False when the calls could not all be redirected: the dock must not go on then.
    bool Install(HMODULE plugin, HWND owner, const DockOptions& options);

    // "Quiescor would now turn off the computer", for one recorded call.
    static std::string Describe(const PowerCall& call);

private:
    CPowerRecorder recorder;
    std::vector<std::unique_ptr<CRegistryValue>> policies;
};
