#include "base/owners.h"
#include "dock/dockapp.h"
#include "dock/docklog.h"
#include "dock/dockoptions.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

// A program of the Windows subsystem starts without a console: what it prints goes to the
// console of the command prompt it was started from, unless its output is redirected.
void PrintToStartingConsole() {
    if (GetStdHandle(STD_OUTPUT_HANDLE) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PrintToStartingConsole();
    DockOptions options;
    std::string error;
    if (!ParseDockOptions(__argc, __argv, options, error)) {
        DockLog("%s (dock --help lists the options)", error.c_str());
        return CDockApp::EXIT_BAD_COMMAND_LINE;
    }
    if (options.help) {
        std::fputs(DOCK_USAGE, stdout);
        std::fflush(stdout);
        return CDockApp::EXIT_OK;
    }
    // The bar and the plug-in's windows draw at the screen's own resolution, which the
    // system would otherwise stretch for a program that does not say it can.
    // Looked up: systems before Vista do not have it.
    using DeclareAware = BOOL(WINAPI*)();
    if (auto declare = reinterpret_cast<DeclareAware>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))))
        declare();
    // The plug-in lives in the host's single-threaded apartment.
    ComApartment apartment;
    CDockApp dock(instance, std::move(options));
    return dock.Run();
}
