#include "dock/dockoptions.h"

#include "host/registryvalue.h"

#include <cstring>

const char DOCK_USAGE[] =
    "usage: dock [options]\n"
    "\n"
    "Stands in for Dockmere: a bar with a Quiescor button, loaded from quiescor.dll beside\n"
    "the dock, whose settings are kept in dock.dat beside it. Right-click for Settings.\n"
    "\n"
    "  --language <module>     hand the plug-in this language module, as Dockmere does\n"
    "  --skin <name>           start with this skin (Glass\\quiescorskin.ini, below skins\\)\n"
    "                          instead of the saved settings\n"
    "  --dry-run               a press says what it would do instead of ending the session\n"
    "  --refuse                with --dry-run: Windows refuses the action\n"
    "  --high-contrast         the plug-in finds the system's high-contrast mode on\n"
    "  --screenshot <png>      write a picture of the bar and exit\n"
    "  with --screenshot and --dry-run, pictures of the plug-in's windows:\n"
    "  --exit-window-screenshot <png>, --settings-screenshot <png>,\n"
    "  --confirm-screenshot <png>, --about-screenshot <png>\n"
    "  --help                  print this and exit\n"
    "\n"
    "The dock says on its standard error why it could not start, and when the plug-in\n"
    "refuses the language module or the skin it was given.\n";

namespace {

struct ValueOption {
    const char* name;
    std::string DockOptions::*value;
};

constexpr ValueOption VALUE_OPTIONS[] = {
    {"--screenshot", &DockOptions::screenshotPath},
    {"--exit-window-screenshot", &DockOptions::exitWindowShotPath},
    {"--settings-screenshot", &DockOptions::settingsShotPath},
    {"--confirm-screenshot", &DockOptions::confirmShotPath},
    {"--about-screenshot", &DockOptions::aboutShotPath},
    {"--language", &DockOptions::languagePath},
};

struct ComputerOption {
    const char* name;
    bool SimulatedComputer::*fact;
    bool value;
};

constexpr ComputerOption COMPUTER_OPTIONS[] = {
    {"--no-hibernate", &SimulatedComputer::canHibernate, false},
    {"--no-sleep", &SimulatedComputer::canSleep, false},
    {"--other-users", &SimulatedComputer::otherUsers, true},
};

bool SimulatesTheComputer(const DockOptions& options) {
    const SimulatedComputer plain;
    for (const ComputerOption& option : COMPUTER_OPTIONS) {
        if (options.computer.*option.fact != plain.*option.fact)
            return true;
    }
    return !options.policies.empty();
}

const ValueOption* FindValueOption(const char* argument) {
    for (const ValueOption& option : VALUE_OPTIONS) {
        if (std::strcmp(argument, option.name) == 0)
            return &option;
    }
    return nullptr;
}

} // namespace

bool ParseDockOptions(int argc, char** argv, DockOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (const ValueOption* option = FindValueOption(argument)) {
            if (i + 1 >= argc) {
                error = std::string(argument) + " needs a file name";
                return false;
            }
            options.*option->value = argv[++i];
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
        if (std::strcmp(argument, "--policy") == 0) {
            if (i + 1 >= argc || !PolicyKeyOf(argv[i + 1])) {
                error = "--policy needs one of NoClose, NoLogoff, StartMenuLogOff, "
                        "DisableLockWorkstation, HideFastUserSwitching";
                return false;
            }
            options.policies.emplace_back(argv[++i]);
            continue;
        }
        bool simulated = false;
        for (const ComputerOption& option : COMPUTER_OPTIONS) {
            if (std::strcmp(argument, option.name) == 0) {
                options.computer.*option.fact = option.value;
                simulated = true;
            }
        }
        if (simulated)
            continue;
        if (std::strcmp(argument, "--dry-run") == 0) {
            options.dryRun = true;
            continue;
        }
        if (std::strcmp(argument, "--refuse") == 0) {
            options.refuse = true;
            continue;
        }
        if (std::strcmp(argument, "--help") == 0) {
            options.help = true;
            continue;
        }
        if (std::strcmp(argument, "--high-contrast") == 0) {
            options.highContrast = true;
            continue;
        }
        error = std::string("unknown option ") + argument;
        return false;
    }
    // Capturing a window means pressing the button or opening a dialog: never for real.
    if (options.CapturesWindows() && (options.screenshotPath.empty() || !options.dryRun)) {
        error = "the window screenshots go with --screenshot and --dry-run";
        return false;
    }
    if ((options.refuse || SimulatesTheComputer(options)) && !options.dryRun) {
        error = "--refuse, --policy and the simulated computer go with --dry-run";
        return false;
    }
    return true;
}
