// The settings stream from outside, through the built plug-in: Load takes arbitrary
// bytes of any length, read in pieces of any size; Save must then write a whole record,
// and that record must come back byte for byte through a second object's Load and
// Save. The first byte of an input says how the stream reads (bits 0-2: the most bytes
// one Read gives, 0 for all; bit 3: fail instead of a short read at the end) and whether
// the button is pressed afterwards with the settings loaded (bit 4); the rest is the
// stream.
#include "fuzz/wine/dialogcloser.h"
#include "fuzz/wine/fuzzrunner.h"
#include "fuzz/wine/tricklestream.h"
#include "host/pluginlibrary.h"
#include "host/powerrecorder.h"
#include "tests/host/builtplugin.h"
#include "tests/host/recordingsite.h"
#include "host/settingsrecord.h"
#include "host/streams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr uint8_t CHUNK_BITS = 7;
constexpr uint8_t FAIL_AT_END = 8;
constexpr uint8_t PRESS = 16;
constexpr size_t TEXT_SIZE = 260;

PluginLibrary* library = nullptr;
CPowerRecorder* recorder = nullptr;
int presses = 0;
int dialogs = 0;
int forced = 0;
size_t powerCalls = 0;

struct PluginRef {
    explicit PluginRef(IHostPlugin* plugin) : plugin(plugin) {
        if (!plugin)
            FuzzFail("the class factory made no object");
    }
    ~PluginRef() { plugin->Release(); }
    PluginRef(const PluginRef&) = delete;
    PluginRef& operator=(const PluginRef&) = delete;
    IHostPlugin* operator->() const { return plugin; }
    IHostPlugin* plugin;
};

Bytes Saved(const PluginRef& plugin) {
    StreamPtr stream = StreamWith({});
    if (plugin->Save(stream.Get()) != S_OK)
        FuzzFail("Save failed on a memory stream");
    return StreamBytes(stream.Get());
}

// A record as the plug-in writes it, and as older versions of it wrote theirs.
Bytes Record(uint32_t version, uint32_t flags, const char* icon, const char* skin,
             uint16_t hotKey) {
    SettingsRecord settings;
    settings.version = version;
    settings.flags = flags;
    settings.iconLocation = icon;
    settings.skinName = skin;
    settings.hotKey = hotKey;
    Bytes record = settings.Bytes();
    if (version < 2)
        record.resize(ICON_LOCATION_OFFSET);
    else if (version == 2)
        record.resize(SKIN_NAME_OFFSET);
    return record;
}

Bytes WithMode(uint8_t mode, const Bytes& stream) {
    Bytes input(stream.size() + 1, mode);
    std::copy(stream.begin(), stream.end(), input.begin() + 1);
    return input;
}

std::vector<Bytes> Seeds() {
    const char* skin = "Glass\\quiescorskin.ini";
    std::vector<Bytes> seeds = {
        WithMode(0, {}),
        WithMode(0, Record(4, 191, "", "", 0)),
        WithMode(3, Record(4, 191, "shell32.dll,3", skin, 0x0651)),
        WithMode(FAIL_AT_END | 5, Record(3, 33, "", skin, 0x0348)),
        WithMode(0, Record(2, 191, "%SystemRoot%\\system32\\shell32.dll,27", "", 0)),
        WithMode(1, Record(1, 6, "", "", 0)),
        WithMode(0, Record(7, 191, "", skin, 0x0651)),
        WithMode(PRESS, Record(4, 3, "", skin, 0)),
        WithMode(PRESS, Record(4, 1 | 32, "", "", 0)),
        WithMode(PRESS, Record(4, 191, "", "..\\..\\quiescorskin.ini", 0)),
    };
    return seeds;
}

std::vector<Field> Fields(const Bytes&) {
    const size_t at = 1;
    return {{0, 1},
            {at, 4},
            {at + 4, 4},
            {at + 8, 4},
            {at + HOT_KEY_OFFSET, 2},
            {at + ICON_LOCATION_OFFSET + TEXT_SIZE - 1, 1}};
}

void CheckText(const char* text, const char* what) {
    if (!std::memchr(text, 0, TEXT_SIZE))
        FuzzFail(std::string(what) + " has no end within its 260 characters");
}

// The answer a user most often gives: Escape, which also says No to a question.
void Press(const PluginRef& plugin) {
    recorder->calls.clear();
    CDialogCloser closer([](HWND dialog) { PressEscape(dialog); });
    if (plugin->Execute() != S_OK)
        FuzzFail("Execute failed");
    ++presses;
    dialogs += closer.Answered();
    forced += closer.Forced();
    powerCalls += recorder->calls.size();
}

std::string Summary() {
    return std::to_string(presses) + " presses answered " + std::to_string(dialogs) + " dialogs (" +
           std::to_string(forced) + " ended for want of an answer), " + std::to_string(powerCalls) +
           " power calls recorded";
}

void Run(const Bytes& input) {
    const uint8_t mode = input.empty() ? 0 : input[0];
    Bytes bytes(input.begin() + (input.empty() ? 0 : 1), input.end());
    CRecordingSite site;
    PluginRef first(library->CreatePlugin());
    first->SetSite(&site);
    CTrickleStream stream(std::move(bytes), mode & CHUNK_BITS, (mode & FAIL_AT_END) != 0);
    const HRESULT loaded = first->Load(&stream);
    const Bytes record = Saved(first);
    // A record the stream could not give whole is not taken at all: the new object keeps
    // its defaults.
    if (loaded != S_OK && (!FAILED(loaded) || record != Saved(PluginRef(library->CreatePlugin()))))
        FuzzFail("Load answered " + std::to_string(loaded) + " and took part of the record");
    if (record.size() != RECORD_SIZE || record[0] != 4 || record[1] || record[2] || record[3])
        FuzzFail("Save wrote " + std::to_string(record.size()) + " bytes, not a version-4 record");
    CheckText(reinterpret_cast<const char*>(record.data() + ICON_LOCATION_OFFSET),
              "the icon location");
    CheckText(reinterpret_cast<const char*>(record.data() + SKIN_NAME_OFFSET), "the skin name");
    char location[TEXT_SIZE + MAX_PATH] = {};
    first->GetIconLocation(location);
    CheckText(location, "GetIconLocation's answer");

    PluginRef second(library->CreatePlugin());
    StreamPtr again = StreamWith(record);
    second->Load(again.Get());
    if (Saved(second) != record)
        FuzzFail("a saved record did not come back byte for byte through Load and Save");
    if (mode & PRESS)
        Press(first);
}

} // namespace

int main(int argc, char** argv) {
    PluginLibrary plugin(BuiltPluginPath());
    library = &plugin;
    if (!library->IsLoaded()) {
        std::fprintf(stderr, "fuzz_settings: cannot load %s\n", library->Path().c_str());
        return 2;
    }
    // Without the recorder a press would end the session, and the run with it.
    CPowerRecorder powerRecorder;
    recorder = &powerRecorder;
    if (!recorder->Install(library->Module())) {
        std::fprintf(stderr, "fuzz_settings: cannot redirect the power calls\n");
        return 2;
    }
    FuzzWatchModule(library->Module());
    FuzzTarget target;
    target.name = "fuzz_settings";
    target.maxSize = 4096;
    target.timeoutMs = 20000;
    target.seeds = Seeds;
    target.run = Run;
    target.mutate = [](CMutator& mutator, const Bytes& input, const std::vector<Bytes>& seeds) {
        return mutator.Mutate(input, seeds, Fields);
    };
    target.tokens = Tokens({"\\", "..\\", "quiescorskin.ini", "Glass\\", ",", ",-1", "%"});
    target.summary = Summary;
    return RunFuzzTarget(target, argc, argv);
}
