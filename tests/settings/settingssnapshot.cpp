// Opens the built plug-in's settings dialog and about box as the host does and writes
// a picture of each as PNG, so that a person can look at them: settingssnapshot <folder>.
#include "host/dialogdriver.h"
#include "host/pluginlibrary.h"
#include "host/settingsrecord.h"
#include "host/streams.h"
#include "res/resource.h"
#include "tests/host/builtplugin.h"
#include "tests/host/recordingsite.h"
#include "tests/settings/settingstestsupport.h"

#include <cstdio>
#include <string>

namespace {

// The whole window, frame included, as it has drawn itself. The screen itself may not
// show the latest drawing yet.
bool Snapshot(HWND window, const std::string& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect;
    GetWindowRect(window, &rect);
    CCanvas canvas(rect.right - rect.left, rect.bottom - rect.top);
    HDC source = GetWindowDC(window);
    BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    bool written = canvas.WritePng(path);
    std::printf("%s %s\n", written ? "wrote" : "could not write", path.c_str());
    return written;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = std::string(argc > 1 ? argv[1] : ".") + "\\";
    PluginLibrary library(BuiltPluginPath());
    IHostPlugin* plugin = library.CreatePlugin();
    if (!plugin)
        return 1;
    CShellRecorder shell;
    if (!shell.Install(library.Module()))
        return 1;
    CRecordingSite site;
    SettingsRecord record;
    record.flags = 1 + 2 + 4 + 32;
    record.hotKey = 0x0641;
    StreamPtr stream = StreamWith(record.Bytes());
    plugin->Load(stream.Get());
    plugin->SetSite(&site);

    HWND settings = nullptr;
    CDialogDriver driver([&](HWND dialog) {
        if (settings) {
            Snapshot(dialog, folder + "about.png");
            ClickButton(dialog, IDOK);
            PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        settings = dialog;
        Snapshot(dialog, folder + "settings-default.png");
        for (const char* skin : {"Graphite", "Glass"}) {
            ChooseItem(dialog, IDC_SKINS, skin);
            Snapshot(dialog, folder + "settings-" + skin + ".png");
        }
        ClickButton(dialog, IDC_ABOUT_BUTTON);
    });
    plugin->Configure(1);
    plugin->Release();
    return 0;
}
