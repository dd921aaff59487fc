#include "core/owners.h"
#include "dock/dockapp.h"
#include "dock/docklog.h"
#include "dock/dockoptions.h"

#include <cstdlib>
#include <string>
#include <utility>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DockOptions options;
    std::string error;
    if (!ParseDockOptions(__argc, __argv, options, error)) {
        DockLog("%s", error.c_str());
        return CDockApp::EXIT_BAD_COMMAND_LINE;
    }
    // The plug-in lives in the host's single-threaded apartment.
    ComApartment apartment;
    CDockApp dock(instance, std::move(options));
    return dock.Run();
}
