#include "dock/dockapp.h"
#include "dock/docklog.h"
#include "dock/dockoptions.h"

#include <objbase.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace {

// The plug-in lives in the host's single-threaded apartment.
class ComApartment {
public:
    ComApartment() : initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialised)
            CoUninitialize();
    }

private:
    bool initialised;
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DockOptions options;
    std::string error;
    if (!ParseDockOptions(__argc, __argv, options, error)) {
        DockLog("%s", error.c_str());
        return CDockApp::EXIT_BAD_COMMAND_LINE;
    }
    ComApartment apartment;
    CDockApp dock(instance, std::move(options));
    return dock.Run();
}
