// The dock's command line.
#pragma once

#include "host/powerrecorder.h"

#include <string>
#include <vector>

struct DockOptions {
    // When set, the dock captures its bar into this PNG file and exits.
    std::string screenshotPath;
    // With a screenshot: also press the button, and capture the exit window with the
    // tooltip of one of its buttons into this PNG file before closing it.
    std::string exitWindowShotPath;
    // With a screenshot: capture the settings dialog, and the confirmation dialog of a
    // button that turns off after asking, into these PNG files; both are cancelled.
    std::string settingsShotPath;
    std::string confirmShotPath;
    // With a screenshot: open the settings dialog, press its About button and capture
    // the about box into this PNG file; both are cancelled.
    std::string aboutShotPath;
    // A language module handed to the plug-in in place of its own texts and dialogs.
    std::string languagePath;
    // When set, the plug-in's power calls are shown instead of performed.
    bool dryRun = false;
    // With a dry run: the power calls are refused, so that the plug-in's message shows.
    bool refuse = false;
    // With a dry run: the computer the plug-in sees (--no-hibernate, --no-sleep,
    // --other-users), and the administrator's policies set while the dock runs
    // (--policy NoClose and the like).
    SimulatedComputer computer;
    std::vector<std::string> policies;
    // When set, the plug-in finds the system's high-contrast mode on.
    bool highContrast = false;
    // When set, the button starts with default settings and this skin (the path of its
    // description below the skins folder) instead of its saved settings.
    std::string skinName;
    // When set, the dock prints its options and exits.
    bool help = false;

    bool CapturesWindows() const {
        return !exitWindowShotPath.empty() || !settingsShotPath.empty() ||
               !confirmShotPath.empty() || !aboutShotPath.empty();
    }
};

// What --help prints.
extern const char DOCK_USAGE[];

// False, with the reason in `error`, for an unknown option or a missing value.
bool ParseDockOptions(int argc, char** argv, DockOptions& options, std::string& error);
