#include "dock/dockoptions.h"

#include <cstring>

bool ParseDockOptions(int argc, char** argv, DockOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--screenshot") == 0) {
            if (i + 1 >= argc) {
                error = "--screenshot needs a file name";
                return false;
            }
            options.screenshotPath = argv[++i];
            continue;
        }
        if (std::strcmp(argument, "--exit-window-screenshot") == 0) {
            if (i + 1 >= argc) {
                error = "--exit-window-screenshot needs a file name";
                return false;
            }
            options.exitWindowShotPath = argv[++i];
            continue;
        }
        if (std::strcmp(argument, "--skin") == 0) {
            if (i + 1 >= argc) {
                error = "--skin needs a skin name";
                return false;
            }
            options.skinName = argv[++i];
            continue;
        }
        if (std::strcmp(argument, "--dry-run") == 0) {
            options.dryRun = true;
            continue;
        }
        error = std::string("unknown option ") + argument;
        return false;
    }
    if (!options.exitWindowShotPath.empty() &&
        (options.screenshotPath.empty() || !options.dryRun)) {
        error = "--exit-window-screenshot goes with --screenshot and --dry-run";
        return false;
    }
    return true;
}
