// The dock's command line.
#pragma once

#include <string>

struct DockOptions {
    // When set, the dock captures its bar into this PNG file and exits.
    std::string screenshotPath;
    // When set, the plug-in's power calls are shown instead of performed.
    bool dryRun = false;
};

// False, with the reason in `error`, for an unknown option or a missing value.
bool ParseDockOptions(int argc, char** argv, DockOptions& options, std::string& error);
