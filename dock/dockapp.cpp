#include "dock/dockapp.h"

#include "api/actionflags.h"
#include "base/fileversion.h"
#include "dock/docklog.h"
#include "host/dialogdriver.h"
#include "host/messagepump.h"
#include "host/pngwriter.h"
#include "host/settingsrecord.h"
#include "host/skinrefusal.h"
#include "host/streams.h"
#include "host/windowcapture.h"
#include "res/resource.h"
#include "tooltip/richtooltip.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Long enough for the tooltip's initial delay of half a second and its painting.
constexpr DWORD TOOLTIP_WAIT_MS = 900;
// Long enough for a dialog and its controls to paint.
constexpr DWORD DIALOG_WAIT_MS = 300;
// The flags of a button that turns off after asking.
constexpr DWORD TURN_OFF_AFTER_ASKING = ACTION_TURNOFF | OPTION_CONFIRM;
// How long the pointer rests on the focused button on its way to turn off.
constexpr DWORD PASS_OVER_MS = 300;

// A file in the dock's own folder.
std::string BesideDock(const char* name) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    size_t slash = folder.find_last_of("\\/");
    folder.erase(slash == std::string::npos ? 0 : slash + 1);
    return folder + name;
}

// Default settings with the given skin.
void LoadSkinOnly(IHostPlugin* plugin, const std::string& skinName) {
    SettingsRecord record;
    record.skinName = skinName.substr(0, MAX_PATH - 1);
    StreamPtr stream = StreamWith(record.Bytes());
    if (stream.Get())
        plugin->Load(stream.Get());
}

// Puts the pointer on the middle of a window, as a mouse move would.
void PointAt(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    SetCursorPos(point.x, point.y);
    ScreenToClient(window, &point);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
}

bool WritePicture(const std::string& path, const ScreenImage& image) {
    std::string why;
    if (CPngWriter::Write(path, image, &why))
        return true;
    if (!why.empty())
        DockLog("cannot write %s: %s", path.c_str(), why.c_str());
    return false;
}

HWND FirstDisabledChild(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowEnabled(child))
            return child;
    }
    return nullptr;
}

} // namespace

CDockApp::CDockApp(HINSTANCE instance, DockOptions options)
    : instance(instance), options(std::move(options)), library(BesideDock("quiescor.dll")),
      settings(BesideDock("dock.dat")), site(bar, settings) {}

CDockApp::~CDockApp() {
    ReleasePlugin();
}

int CDockApp::Run() {
    if (!LoadLanguage())
        return EXIT_NO_LANGUAGE;
    if (!Start())
        return EXIT_NO_PLUGIN;
    int status = options.screenshotPath.empty() ? RunMessageLoop() : TakeScreenshot();
    if (!Stop() && status == EXIT_OK)
        status = EXIT_PLUGIN_STILL_LOADED;
    return status;
}

bool CDockApp::Start() {
    if (!library.IsLoaded()) {
        DockLog("cannot load %s", library.Path().c_str());
        return false;
    }
    if (!bar.Create(instance)) {
        DockLog("cannot create the bar window");
        return false;
    }
    if (options.dryRun && !dryRun.Install(library.Module(), bar.Handle(), options)) {
        DockLog("cannot redirect the power calls of %s: not starting", library.Path().c_str());
        return false;
    }
    if (options.highContrast && !highContrast.Install(library.Module())) {
        DockLog("cannot turn high contrast on for %s", library.Path().c_str());
        return false;
    }
    plugin.Reset(library.CreatePlugin());
    if (!plugin) {
        DockLog("%s made no plug-in object", library.Path().c_str());
        return false;
    }
    site.Attach(plugin.Get());
    plugin->SetSite(&site);
    plugin->SetResourceModule(0, language.Get());
    plugin->SetCaption("Quiescor");
    // A new button has no saved settings: the object keeps its defaults.
    if (options.skinName.empty())
        settings.LoadInto(plugin.Get());
    else
        LoadSkinOnly(plugin.Get(), options.skinName);
    LogSkinRefusal();
    bar.Attach(plugin.Get());
    bar.Show();
    return true;
}

// The module is loaded as a program would load it, so that the plug-in can read its
// file version and create dialogs in it.
bool CDockApp::LoadLanguage() {
    if (options.languagePath.empty())
        return true;
    language.Reset(LoadLibraryA(options.languagePath.c_str()));
    if (!language) {
        const DWORD error = GetLastError();
        DockLog("cannot load the language module %s (error %lu%s)", options.languagePath.c_str(),
                error, error == ERROR_BAD_EXE_FORMAT ? ": not a 32-bit module" : "");
        return false;
    }
    LogLanguageRefusal();
    return true;
}

// The plug-in takes a language module only of the version it was made for.
void CDockApp::LogLanguageRefusal() const {
    const char* path = options.languagePath.c_str();
    FileVersion version;
    if (!ReadModuleVersion(language.Get(), version)) {
        DockLog("the plug-in refuses the language module %s: it has no version information; "
                "it shows its own texts",
                path);
    } else if (!(version == LANGUAGE_MODULE_VERSION)) {
        DockLog("the plug-in refuses the language module %s: its file version is %lu.%lu.%lu.%lu, "
                "and it takes only 1.2.0.0; it shows its own texts",
                path, static_cast<unsigned long>(HIWORD(version.mostSignificant)),
                static_cast<unsigned long>(LOWORD(version.mostSignificant)),
                static_cast<unsigned long>(HIWORD(version.leastSignificant)),
                static_cast<unsigned long>(LOWORD(version.leastSignificant)));
    }
}

// The skin the button starts with, whether from the saved settings or --skin.
void CDockApp::LogSkinRefusal() const {
    StreamPtr saved = StreamWith({});
    if (!saved.Get() || FAILED(plugin->Save(saved.Get())))
        return;
    const std::vector<BYTE> record = StreamBytes(saved.Get());
    if (record.size() <= SKIN_NAME_OFFSET)
        return;
    const char* start = reinterpret_cast<const char*>(&record[SKIN_NAME_OFFSET]);
    const std::string name(
        start, strnlen(start, std::min<size_t>(MAX_PATH, record.size() - SKIN_NAME_OFFSET)));
    if (name.empty())
        return;
    const std::string why = SkinRefusal(BesideDock("skins\\") + name);
    if (!why.empty())
        DockLog("the plug-in refuses the skin %s: %s; it shows its built-in skin", name.c_str(),
                why.c_str());
}

int CDockApp::RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return EXIT_OK;
}

int CDockApp::TakeScreenshot() {
    Pump();
    ScreenImage image;
    if (!CWindowCapture::Capture(bar.Handle(), image)) {
        DockLog("cannot capture the bar");
        return EXIT_NO_SCREENSHOT;
    }
    if (!WritePicture(options.screenshotPath, image))
        return EXIT_NO_SCREENSHOT;
    return TakeWindowShots();
}

int CDockApp::TakeWindowShots() {
    const auto press = [this] { SendMessageA(bar.Handle(), WM_HOTKEY, 0, 0); };
    if (!options.exitWindowShotPath.empty() &&
        !CaptureWindowOpenedBy(options.exitWindowShotPath, true, press))
        return EXIT_NO_SCREENSHOT;
    if (!options.settingsShotPath.empty() &&
        !CaptureWindowOpenedBy(options.settingsShotPath, false, [this] { plugin->Configure(1); }))
        return EXIT_NO_SCREENSHOT;
    if (!options.confirmShotPath.empty()) {
        AskBeforeTurningOff();
        if (!CaptureWindowOpenedBy(options.confirmShotPath, false, press))
            return EXIT_NO_SCREENSHOT;
    }
    if (!options.aboutShotPath.empty() && !CaptureAboutBox())
        return EXIT_NO_SCREENSHOT;
    return EXIT_OK;
}

template <typename Call>
bool CDockApp::CaptureWindowOpenedBy(const std::string& path, bool withTooltip, Call call) {
    bool written = false;
    {
        CDialogDriver driver([&](HWND window) {
            written = CaptureOpenedWindow(window, path, withTooltip);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        });
        call();
    }
    if (!written)
        DockLog("cannot capture the window that opened for %s", path.c_str());
    return written;
}

// The about box opens only from the settings dialog: the first dialog is the settings
// dialog, whose About button is pressed; the second is the about box. Both are cancelled.
bool CDockApp::CaptureAboutBox() {
    bool written = false;
    int opened = 0;
    {
        CDialogDriver driver([&](HWND window) {
            if (++opened == 1) {
                ClickButton(window, IDC_ABOUT_BUTTON);
                return;
            }
            written = CaptureOpenedWindow(window, options.aboutShotPath, false);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(GetWindow(window, GW_OWNER), WM_COMMAND, IDCANCEL, 0);
        });
        plugin->Configure(1);
    }
    if (!written)
        DockLog("cannot capture the about box for %s", options.aboutShotPath.c_str());
    return written;
}

// With a tooltip: the pointer passes over the button that has the focus and comes to
// rest on the first greyed button, the turn-off button or the first one, so that the
// focus cue after a leave and a tooltip (saying why, for a greyed one) show too.
bool CDockApp::CaptureOpenedWindow(HWND window, const std::string& path, bool withTooltip) {
    if (withTooltip) {
        HWND focused = GetFocus();
        if (focused && IsChild(window, focused)) {
            PointAt(focused);
            PumpFor(PASS_OVER_MS);
        }
        HWND button = FirstDisabledChild(window);
        if (!button)
            button = GetDlgItem(window, ACTION_TURNOFF);
        if (!button)
            button = GetWindow(window, GW_CHILD);
        if (button)
            PointAt(button);
    }
    PumpFor(withTooltip ? TOOLTIP_WAIT_MS : DIALOG_WAIT_MS);
    RECT area;
    GetWindowRect(window, &area);
    HWND tip = withTooltip ? FindWindowA(CRichTooltip::CLASS_NAME, nullptr) : nullptr;
    RECT tipRect;
    if (tip && IsWindowVisible(tip) && GetWindowRect(tip, &tipRect))
        UnionRect(&area, &area, &tipRect);
    ScreenImage image;
    return CWindowCapture::CaptureScreen(area, image) && WritePicture(path, image);
}

// The button's settings become those of a button that turns off after asking; the
// shots end the dock, which saves nothing of this.
void CDockApp::AskBeforeTurningOff() {
    StreamPtr saved = StreamWith({});
    if (!saved.Get())
        return;
    plugin->Save(saved.Get());
    std::vector<BYTE> record = StreamBytes(saved.Get());
    if (record.size() < FLAGS_OFFSET + sizeof(DWORD))
        return;
    std::memcpy(&record[FLAGS_OFFSET], &TURN_OFF_AFTER_ASKING, sizeof(DWORD));
    StreamPtr changed = StreamWith(record);
    if (changed.Get())
        plugin->Load(changed.Get());
}

// The object goes while the bar and the site still exist: on its way out it drops its
// hot key through the site.
void CDockApp::ReleasePlugin() {
    bar.Attach(nullptr);
    site.Attach(nullptr);
    plugin.Reset();
}

// True when the library agrees to be unloaded once the object is gone.
bool CDockApp::Stop() {
    ReleasePlugin();
    HRESULT canUnload = library.CanUnloadNow();
    if (canUnload != S_OK)
        DockLog("DllCanUnloadNow answered 0x%08lX at exit", static_cast<unsigned long>(canUnload));
    return canUnload == S_OK;
}
