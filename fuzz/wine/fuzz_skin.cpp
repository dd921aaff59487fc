// Skin folders from outside, through a copy of the built plug-in: each input is a bundle
// of files (a quiescorskin.ini and pictures) that becomes a folder in the skins folder
// beside the copy. The folder is chosen in the settings record and the button pressed,
// so that the exit window loads, lays out and paints the skin, shows a button hot with
// its tooltip and is left with Escape; then the settings dialog lists the skin by its
// name, draws its preview and is left with Escape too. No skin may keep either dialog
// from closing. Pictures get valid chunk checksums, so that mutations reach the decoder.
// Every other input is shown as at 192 DPI, where a skin's pictures for high
// resolutions ("name@2x.png") are read and every picture is scaled.
#include "exitwnd/skinformat.h"
#include "fuzz/engine/bundle.h"
#include "fuzz/engine/formatfields.h"
#include "fuzz/pngchecksums.h"
#include "fuzz/wine/dialogcloser.h"
#include "fuzz/wine/fuzzrunner.h"
#include "host/importpatch.h"
#include "host/pluginlibrary.h"
#include "host/powerrecorder.h"
#include "tests/host/builtplugin.h"
#include "tests/host/exitwindowinput.h"
#include "tests/host/recordingsite.h"
#include "tests/host/scratchfolder.h"
#include "host/settingsrecord.h"
#include "host/streams.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

constexpr size_t MAX_NAME = 32;
constexpr DWORD ALL_ACTIONS_AND_CONFIRM = 191;
constexpr int HIGH_DPI = 192;

struct Harness {
    ScratchFolder scratch;
    std::unique_ptr<PluginLibrary> library;
    CPowerRecorder recorder;
    CImportPatch highDpi;
    std::string skinsFolder; // of the built plug-in, for the seeds
    unsigned long folders = 0;
    int dialogs = 0;
    int tooltips = 0;
};

Harness* harness = nullptr;

using DeviceCapsFunction = int(WINAPI*)(HDC, int);
DeviceCapsFunction realDeviceCaps = nullptr;

int WINAPI HighDpiDeviceCaps(HDC dc, int index) {
    if (index == LOGPIXELSX || index == LOGPIXELSY)
        return HIGH_DPI;
    return realDeviceCaps(dc, index);
}

// The plug-in finds the screen at 192 DPI while the patch is in place.
void ShowAtHighDpi(bool high) {
    if (!high) {
        harness->highDpi.Remove();
        return;
    }
    if (harness->highDpi.Install(harness->library->Module(), "gdi32.dll", "GetDeviceCaps",
                                 reinterpret_cast<void*>(HighDpiDeviceCaps)))
        realDeviceCaps = reinterpret_cast<DeviceCapsFunction>(harness->highDpi.Original());
}

// A file name the bundle may give, kept to one plain name inside the skin folder.
std::string SafeName(const std::string& name) {
    std::string safe;
    for (char c : name.substr(0, MAX_NAME)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' || c == '@';
        safe += plain ? c : '_';
    }
    return safe.empty() || safe == "." || safe == ".." ? "_" : safe;
}

Bytes FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Bytes SkinBundle(const std::string& folder, const std::vector<std::string>& files) {
    Bytes bundle;
    for (const std::string& file : files)
        AppendToBundle(bundle, file, FileBytes(folder + "\\" + file));
    return bundle;
}

Bytes TextBundle(const std::string& description, const std::vector<Bytes>& pictures) {
    Bytes bundle;
    AppendToBundle(bundle, SKIN_DESCRIPTION_FILE, Bytes(description.begin(), description.end()));
    for (size_t i = 0; i < pictures.size(); ++i)
        AppendToBundle(bundle, "p" + std::to_string(i) + ".png", pictures[i]);
    return bundle;
}

// The sample skins as they are shipped, and small skins at the edges of the format.
std::vector<Bytes> Seeds() {
    const std::string glass = harness->skinsFolder + "\\Glass";
    const std::string graphite = harness->skinsFolder + "\\Graphite";
    const Bytes background = FileBytes(glass + "\\background.png");
    const Bytes button = FileBytes(glass + "\\turnoff.png");
    return {
        SkinBundle(glass, {SKIN_DESCRIPTION_FILE, "background.png", "turnoff.png", "restart.png",
                           "hibernate.png", "switchuser.png", "cancel.png"}),
        SkinBundle(graphite, {SKIN_DESCRIPTION_FILE, "background.png", "logoff.png", "turnoff.png",
                              "restart.png", "standby.png", "cancel.png"}),
        TextBundle("[general]\nName=Edges\n[images]\nBackGround=p0.png\nCancel=p1.png\n"
                   "TurnOff=p1.png\nLogOff=p0.png\n[points]\nCancel=-5,7\nTurnOff=99999999999,"
                   "4294967295\nLogOff=x\n",
                   {background, button}),
        // Pictures for high resolutions, none of them of the size that would be used.
        [&] {
            Bytes bundle =
                SkinBundle(glass, {SKIN_DESCRIPTION_FILE, "background.png", "turnoff.png"});
            AppendToBundle(bundle, "background@2x.png", background);
            AppendToBundle(bundle, "turnoff@1.5x.png", button);
            AppendToBundle(bundle, "turnoff@2x.png", background);
            return bundle;
        }(),
        TextBundle("[images]\nBackGround=p0.png\nRestart=..\\..\\p0.png\nStandBy=p0.png\n"
                   "[points]\nStandBy=" +
                       std::string(300, '7') + "\n",
                   {button}),
    };
}

// The sections and keys of a description, as they stand in one.
std::vector<Bytes> FormatTokens() {
    std::vector<std::string> words;
    for (const char* section : {SKIN_SECTION_GENERAL, SKIN_SECTION_IMAGES, SKIN_SECTION_POINTS})
        words.push_back("[" + std::string(section) + "]");
    for (const char* key : {SKIN_KEY_NAME, SKIN_KEY_BACKGROUND})
        words.push_back(key + std::string("="));
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS)
        words.push_back(button.name + std::string("="));
    std::vector<Bytes> tokens;
    for (const std::string& word : words)
        tokens.emplace_back(word.begin(), word.end());
    return tokens;
}

std::vector<Field> PictureFields(const BundleEntry& entry) {
    return PngFields(entry.data);
}

bool IsDescription(const std::string& name) {
    return lstrcmpiA(name.c_str(), SKIN_DESCRIPTION_FILE) == 0;
}

// The exit window: one button hot with its tooltip, then Escape; any other dialog
// (the settings dialog) just Escape.
void Answer(HWND dialog) {
    if (HoverFirstButton(dialog))
        ++harness->tooltips;
    PressEscape(dialog);
}

void Use(IHostPlugin* plugin, const std::string& skinName) {
    SettingsRecord record;
    record.flags = ALL_ACTIONS_AND_CONFIRM;
    record.skinName = skinName;
    StreamPtr stream = StreamWith(record.Bytes());
    plugin->Load(stream.Get());
    CDialogCloser closer(Answer);
    plugin->Execute();
    plugin->Configure(1);
    harness->dialogs += closer.Answered();
    if (closer.Forced())
        FuzzFail("a skin kept a dialog from closing on Escape");
}

void Run(const Bytes& input) {
    const std::string folder = "skins\\f" + std::to_string(++harness->folders);
    std::vector<std::string> written;
    for (const BundleEntry& entry : ReadBundle(input)) {
        const Bytes data = IsDescription(entry.name)
                               ? entry.data
                               : WithValidChunkCrcs(entry.data.data(), entry.data.size());
        const std::string path = harness->scratch.Write(folder + "\\" + SafeName(entry.name),
                                                        std::string(data.begin(), data.end()));
        if (!path.empty())
            written.push_back(path);
    }
    ShowAtHighDpi(harness->folders % 2 == 0);
    CRecordingSite site;
    IHostPlugin* plugin = harness->library->CreatePlugin();
    if (!plugin)
        FuzzFail("the class factory made no object");
    plugin->SetSite(&site);
    Use(plugin, folder.substr(folder.find('\\') + 1) + "\\" + SKIN_DESCRIPTION_FILE);
    plugin->Release();
    for (const std::string& path : written)
        DeleteFileA(path.c_str());
    RemoveDirectoryA(harness->scratch.File(folder).c_str());
}

std::string Summary() {
    return std::to_string(harness->dialogs) + " dialogs shown and left, " +
           std::to_string(harness->tooltips) + " tooltips shown";
}

} // namespace

int main(int argc, char** argv) {
    // Gone with main, so that the scratch folder goes after the plug-in is unloaded.
    Harness instance;
    harness = &instance;
    const std::string built = BuiltPluginPath();
    harness->skinsFolder = built.substr(0, built.find_last_of('\\')) + "\\skins";
    harness->library = std::make_unique<PluginLibrary>(harness->scratch.CopyPlugin("quiescor.dll"));
    if (!harness->library->IsLoaded() || !harness->recorder.Install(harness->library->Module())) {
        std::fprintf(stderr,
                     "fuzz_skin: cannot load a copy of %s with its power calls redirected\n",
                     built.c_str());
        return 2;
    }
    FuzzWatchModule(harness->library->Module());
    FuzzTarget target;
    target.name = "fuzz_skin";
    target.maxSize = 1 << 20;
    target.timeoutMs = 20000;
    target.seeds = Seeds;
    target.run = Run;
    target.mutate = [](CMutator& mutator, const Bytes& input, const std::vector<Bytes>& seeds) {
        return MutateBundle(mutator, input, seeds, PictureFields);
    };
    target.tokens = FormatTokens();
    for (Bytes& token :
         Tokens({"\r\n", "\n", "=", ",", ";", "..\\", "p0.png", "background.png", "4294967296",
                 "-1", "\"", "\t", "@2x", "@1.5x", "background@2x.png"}))
        target.tokens.push_back(std::move(token));
    target.summary = Summary;
    return RunFuzzTarget(target, argc, argv);
}
