// The dock's command line.
#pragma once

#include <string>

struct DockOptions {
    // When set, the dock captures its bar into this PNG file and exits.
    std::string screenshotPath;
    // With a screenshot: also press the button, and capture the exit window with the
    // tooltip of one of its buttons into this PNG file before closing it.
    std::string exitWindowShotPath;
    // When set, the plug-in's power calls are shown instead of performed.
    bool dryRun = false;
    // When set, the button starts with default settings and this skin (the path of its
    // description below the skins folder) instead of its saved settings.
    std::string skinName;
};

// False, with the reason in `error`, for an unknown option or a missing value.
bool ParseDockOptions(int argc, char** argv, DockOptions& options, std::string& error);
