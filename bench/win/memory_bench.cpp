// What one plug-in object costs in memory for a skin of 4000 x 3000 pixels: the most it
// takes above its own baseline while a press and then the settings dialog run, and what
// it keeps once both have closed, at 96 and 192 DPI. Each resolution runs in a child
// process started at it, since a program reads the resolution when it starts. The
// reference is the skin's pictures decoded whole, which the object once kept.
#include "api/hostapi.h"
#include "base/owners.h"
#include "host/dialogdriver.h"
#include "host/pluginlibrary.h"
#include "host/powerrecorder.h"
#include "host/settingsrecord.h"
#include "host/streams.h"
#include "host/screenresolution.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr double MB = 1024.0 * 1024.0;
constexpr double PEAK_LIMIT_MB = 160;
constexpr double KEPT_LIMIT_MB = 32;
constexpr char SKIN_NAME[] = "Large\\quiescorskin.ini";
constexpr DWORD ALL_ACTIONS_AND_CONFIRM = 191;

std::string BesideThisProgram(const char* relative) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + relative;
}

PROCESS_MEMORY_COUNTERS Counters() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// The most memory the process takes while it lives, sampled every millisecond: the
// system's own peak is not kept by every implementation of the call.
class PeakWatch {
public:
    PeakWatch() : thread(CreateThread(nullptr, 0, Watch, this, 0, nullptr)) {}
    ~PeakWatch() { Stop(); }
    PeakWatch(const PeakWatch&) = delete;
    PeakWatch& operator=(const PeakWatch&) = delete;

    double Stop() {
        if (thread) {
            InterlockedExchange(&stopping, 1);
            WaitForSingleObject(thread.Get(), INFINITE);
            thread.Reset();
        }
        return peak;
    }

private:
    static DWORD WINAPI Watch(void* self) {
        auto* watch = static_cast<PeakWatch*>(self);
        while (!InterlockedCompareExchange(&watch->stopping, 0, 0)) {
            watch->peak = std::max(watch->peak, static_cast<double>(Counters().PagefileUsage));
            Sleep(1);
        }
        return 0;
    }

    double peak = 0;
    LONG stopping = 0;
    KernelHandle thread;
};

// Width times height times four bytes for every PNG of the folder, read from its header.
double DecodedSizeOfPictures(const std::string& folder) {
    double bytes = 0;
    WIN32_FIND_DATAA entry;
    FindHandle search(FindFirstFileA((folder + "*.png").c_str(), &entry));
    if (!search)
        return 0;
    do {
        StdioFile file(std::fopen((folder + entry.cFileName).c_str(), "rb"));
        unsigned char header[24] = {};
        if (!file || std::fread(header, 1, sizeof header, file.Get()) != sizeof header)
            continue;
        auto bigEndian = [&](int at) {
            return (static_cast<double>(header[at]) * 16777216.0) + (header[at + 1] << 16) +
                   (header[at + 2] << 8) + header[at + 3];
        };
        bytes += bigEndian(16) * bigEndian(20) * 4;
    } while (FindNextFileA(search.Get(), &entry));
    return bytes;
}

// One resolution, as a child: prints the figures, exits 0 when within the limits.
int MeasureHere() {
    PluginLibrary library(BesideThisProgram("memory\\quiescor.dll"));
    CPowerRecorder recorder;
    if (!library.IsLoaded() || !recorder.Install(library.Module())) {
        std::printf("memory_bench: cannot load %s with its power calls redirected\n",
                    library.Path().c_str());
        return 1;
    }
    IHostPlugin* plugin = library.CreatePlugin();
    if (!plugin)
        return 1;
    SettingsRecord record;
    record.flags = ALL_ACTIONS_AND_CONFIRM;
    record.skinName = SKIN_NAME;
    StreamPtr stream = StreamWith(record.Bytes());
    plugin->Load(stream.Get());

    const double baseline = static_cast<double>(Counters().PagefileUsage);
    int windows = 0;
    PeakWatch pressWatch;
    {
        CDialogDriver driver([](HWND window) { PressEscape(window); });
        plugin->Execute();
        windows += driver.DialogsSeen();
    }
    const double pressPeak = pressWatch.Stop() - baseline;
    PeakWatch settingsWatch;
    {
        CDialogDriver driver([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
        plugin->Configure(1);
        windows += driver.DialogsSeen();
    }
    const double peak = std::max(pressPeak, settingsWatch.Stop() - baseline);
    const double kept = static_cast<double>(Counters().PagefileUsage) - baseline;
    plugin->Release();

    const int dpi = ScreenDpi();
    const double whole = DecodedSizeOfPictures(BesideThisProgram("memory\\skins\\Large\\"));
    std::printf("figure memory/%d dpi   press peak %7.1f MB   press and settings peak %7.1f MB "
                "(limit %.0f)   kept %6.1f MB (limit %.0f)   windows %d\n",
                dpi, pressPeak / MB, peak / MB, PEAK_LIMIT_MB, kept / MB, KEPT_LIMIT_MB, windows);
    if (whole > 0)
        std::printf("ratio memory/kept at %d dpi vs the skin decoded whole (%.1f MB): %.3f\n", dpi,
                    whole / MB, kept / whole);
    const bool within = windows == 2 && peak / MB <= PEAK_LIMIT_MB && kept / MB <= KEPT_LIMIT_MB;
    if (!within)
        std::printf("memory_bench: at %d dpi the object is outside its limits\n", dpi);
    return within ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--here") == 0)
        return MeasureHere();
    if (GetFileAttributesA(BesideThisProgram("memory\\skins\\Large\\quiescorskin.ini").c_str()) ==
        INVALID_FILE_ATTRIBUTES) {
        std::printf("memory_bench: needs memory\\quiescor.dll and memory\\skins\\Large beside it, "
                    "as scripts/bench.sh lays them out\n");
        return 1;
    }
    // The pointer away from every window: no hover, no tooltip.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    int failed = 0;
    for (DWORD dpi : {96u, 192u})
        failed |= RunThisProgramWith(dpi, "--here") != 0;
    std::fflush(stdout);
    return failed;
}
