// The demo dock as a whole: loads the plug-in beside the executable the way the host
// does, gives its object a site and its saved settings, shows the bar and runs until
// the user exits.
#pragma once

#include "base/owners.h"
#include "dock/dockbar.h"
#include "dock/dockoptions.h"
#include "dock/docksite.h"
#include "dock/dryrun.h"
#include "dock/settingsfile.h"
#include "host/highcontrastswitch.h"
#include "host/pluginlibrary.h"

class CDockApp {
public:
    // Exit codes.
    static constexpr int EXIT_OK = 0;
    static constexpr int EXIT_NO_PLUGIN = 1;
    static constexpr int EXIT_BAD_COMMAND_LINE = 2;
    static constexpr int EXIT_NO_SCREENSHOT = 3;
    static constexpr int EXIT_PLUGIN_STILL_LOADED = 4;
    static constexpr int EXIT_NO_LANGUAGE = 5;

    CDockApp(HINSTANCE instance, DockOptions options);
    CDockApp(const CDockApp&) = delete;
    CDockApp& operator=(const CDockApp&) = delete;
    ~CDockApp();

    int Run();

private:
    bool Start();
    bool LoadLanguage();
    // The plug-in falls back silently; the dock says why.
    void LogLanguageRefusal() const;
    void LogSkinRefusal() const;
    int RunMessageLoop();
    int TakeScreenshot();
    int TakeWindowShots();
    // Runs the call and captures the first window it opens into the file, then cancels
    // the window.
    template <typename Call>
    bool CaptureWindowOpenedBy(const std::string& path, bool withTooltip, Call call);
    bool CaptureOpenedWindow(HWND window, const std::string& path, bool withTooltip);
    bool CaptureAboutBox();
    void AskBeforeTurningOff();
    void ReleasePlugin();
    bool Stop();

    HINSTANCE instance;
    DockOptions options;
    // Declared in the order of need: the library outlives the object, the bar
    // outlives the site that binds hot keys to it.
    PluginLibrary library;
    CSettingsFile settings;
    CDockBar bar;
    CDockSite site;
    CDryRun dryRun;
    CHighContrastSwitch highContrast;
    ComPtr<IHostPlugin> plugin;
    LibraryHandle language; // freed after the object that uses it
};
