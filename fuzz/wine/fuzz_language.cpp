// Language modules from outside, through the built plug-in: each input is a bundle of
// string table blocks ("s<block>") and dialog templates ("d<id>") that replace those of an
// English module of the accepted version (an empty one removes the resource). The module
// is written with the resource update functions, loaded and handed to a plug-in object,
// which then asks its one question (answered No), shows the exit window (a button hot
// with its tooltip, then Escape), and opens the settings dialog, from it the about box,
// and leaves both. Whatever the module holds, no answer may become a power action.
#include "fuzz/engine/bundle.h"
#include "fuzz/engine/formatfields.h"
#include "fuzz/wine/dialogcloser.h"
#include "fuzz/wine/fuzzrunner.h"
#include "res/resource.h"
#include "host/pluginlibrary.h"
#include "host/powerrecorder.h"
#include "tests/host/builtplugin.h"
#include "tests/host/exitwindowinput.h"
#include "tests/host/recordingsite.h"
#include "tests/host/scratchfolder.h"
#include "host/settingsrecord.h"
#include "host/streams.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr WORD ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr char STRING_PREFIX = 's';
constexpr char DIALOG_PREFIX = 'd';
constexpr DWORD LOGOFF_WITH_QUESTION = 1 | 32;
constexpr DWORD ALL_ACTIONS_AND_CONFIRM = 191;
constexpr size_t HUGE_TEXT = 4000;
constexpr UINT DIALOGS[] = {IDD_SETTINGS, IDD_CONFIRM, IDD_EXITWINDOW, IDD_ABOUT};

struct Harness {
    ScratchFolder scratch;
    PluginLibrary library{BuiltPluginPath()};
    CPowerRecorder recorder;
    std::string baseModule;
    std::vector<BundleEntry> baseResources;
    unsigned long modules = 0;
    int dialogs = 0;
    int tooltips = 0;
    int forced = 0;
    HWND settings = nullptr; // the settings dialog while it is open
};

Harness* harness = nullptr;

struct ResourceName {
    LPCSTR type;
    UINT id;
};

// "s7" is string block 7, "d1006" dialog 1006; anything else names nothing.
bool ParseName(const std::string& name, ResourceName& resource) {
    if (name.size() < 2 || (name[0] != STRING_PREFIX && name[0] != DIALOG_PREFIX))
        return false;
    char* end = nullptr;
    const unsigned long id = std::strtoul(name.c_str() + 1, &end, 10);
    if (*end || id == 0 || id > 0xFFFF)
        return false;
    resource = {name[0] == STRING_PREFIX ? RT_STRING : RT_DIALOG, static_cast<UINT>(id)};
    return true;
}

Bytes ResourceBytes(HMODULE module, LPCSTR type, UINT id) {
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), ENGLISH);
    const BYTE* data =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    return data ? Bytes(data, data + SizeofResource(module, found)) : Bytes();
}

BOOL CALLBACK CollectBlock(HMODULE, LPCSTR, LPSTR name, LONG_PTR blocks) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(blocks)->push_back(LOWORD(name));
    return TRUE;
}

// Every string block and dialog of the base module, as bundle entries.
std::vector<BundleEntry> BaseResources() {
    std::vector<BundleEntry> resources;
    HMODULE base = LoadLibraryExA(harness->baseModule.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!base)
        return resources;
    std::vector<UINT> blocks;
    EnumResourceNamesA(base, RT_STRING, CollectBlock, reinterpret_cast<LONG_PTR>(&blocks));
    for (UINT block : blocks)
        resources.push_back(
            {STRING_PREFIX + std::to_string(block), ResourceBytes(base, RT_STRING, block)});
    for (UINT id : DIALOGS)
        resources.push_back(
            {DIALOG_PREFIX + std::to_string(id), ResourceBytes(base, RT_DIALOG, id)});
    FreeLibrary(base);
    return resources;
}

// Each string of the block made HUGE_TEXT characters long, markup included.
Bytes HugeStrings(const Bytes& block) {
    Bytes huge;
    const std::string filler = "<b>Long</b> text<br><hr=50%><t>";
    for (const Field& field : StringBlockFields(block)) {
        const uint32_t length = CMutator::ReadField(block, field);
        const size_t count = length ? HUGE_TEXT : 0;
        huge.push_back(static_cast<uint8_t>(count));
        huge.push_back(static_cast<uint8_t>(count >> 8));
        for (size_t i = 0; i < count; ++i) {
            huge.push_back(static_cast<uint8_t>(filler[i % filler.size()]));
            huge.push_back(0);
        }
    }
    return huge;
}

// No controls, or every predefined control of another predefined class.
Bytes Hostile(const Bytes& dialog, bool noControls) {
    Bytes hostile = dialog;
    const DialogShape shape = ReadDialogShape(dialog);
    if (noControls) {
        CMutator::WriteField(hostile, {shape.countOffset, 2}, 0);
        return hostile;
    }
    for (const DialogItemShape& item : shape.items) {
        if (!item.classOrdinal)
            continue;
        const Field atom = {item.classOrdinal, 2};
        CMutator::WriteField(hostile, atom,
                             0x80 + (CMutator::ReadField(dialog, atom) - 0x80 + 1) % 6);
    }
    return hostile;
}

std::vector<Bytes> Seeds() {
    Bytes same, huge, missing, empty, wrong;
    for (const BundleEntry& resource : harness->baseResources) {
        const std::string& name = resource.name;
        const Bytes& data = resource.data;
        const bool isDialog = name[0] == DIALOG_PREFIX;
        AppendToBundle(same, name, data);
        AppendToBundle(huge, name, isDialog ? data : HugeStrings(data));
        AppendToBundle(missing, name, Bytes());
        AppendToBundle(empty, name, isDialog ? Hostile(data, true) : data);
        AppendToBundle(wrong, name, isDialog ? Hostile(data, false) : data);
    }
    return {same, huge, missing, empty, wrong};
}

std::vector<Field> ResourceFields(const BundleEntry& entry) {
    if (entry.name.empty())
        return {};
    return entry.name[0] == STRING_PREFIX ? StringBlockFields(entry.data)
                                          : ReadDialogShape(entry.data).fields;
}

// The base module with the input's resources in place of its own.
std::string WriteModule(const Bytes& input) {
    const std::string path =
        harness->scratch.File("language" + std::to_string(++harness->modules) + ".dll");
    if (!CopyFileA(harness->baseModule.c_str(), path.c_str(), FALSE))
        FuzzFail("cannot copy the base language module");
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    if (!update)
        FuzzFail("cannot update a copy of the base language module");
    // The data must live until the update ends.
    const std::vector<BundleEntry> entries = ReadBundle(input);
    for (const BundleEntry& entry : entries) {
        ResourceName resource;
        if (!ParseName(entry.name, resource))
            continue;
        void* data = entry.data.empty() ? nullptr : const_cast<uint8_t*>(entry.data.data());
        UpdateResourceA(update, resource.type, MAKEINTRESOURCEA(resource.id), ENGLISH, data,
                        static_cast<DWORD>(entry.data.size()));
    }
    if (!EndUpdateResourceA(update, FALSE))
        FuzzFail("the resource update did not write the module");
    return path;
}

bool IsButton(HWND dialog, int id) {
    char className[16] = {};
    return GetClassNameA(GetDlgItem(dialog, id), className, sizeof className) &&
           lstrcmpiA(className, "Button") == 0;
}

// No to the question, Escape in the exit window after a tooltip, the about box from
// the settings dialog; then both left.
void Answer(HWND dialog) {
    if (HoverFirstButton(dialog))
        ++harness->tooltips;
    if (!harness->settings && IsButton(dialog, IDC_ABOUT_BUTTON) &&
        GetDlgItem(dialog, IDC_HOTKEY)) {
        harness->settings = dialog;
        ClickButton(dialog, IDC_ABOUT_BUTTON);
        return;
    }
    if (IsButton(dialog, IDCANCEL))
        ClickButton(dialog, IDCANCEL);
    else
        PressEscape(dialog);
    if (harness->settings && dialog != harness->settings)
        PostMessageA(harness->settings, WM_COMMAND, IDCANCEL, 0);
}

void Load(IHostPlugin* plugin, DWORD flags) {
    SettingsRecord record;
    record.flags = flags;
    StreamPtr stream = StreamWith(record.Bytes());
    plugin->Load(stream.Get());
}

void Drive(IHostPlugin* plugin) {
    harness->recorder.calls.clear();
    harness->settings = nullptr;
    CDialogCloser closer(Answer);
    Load(plugin, LOGOFF_WITH_QUESTION);
    plugin->Execute();
    Load(plugin, ALL_ACTIONS_AND_CONFIRM);
    plugin->Execute();
    plugin->Configure(1);
    harness->dialogs += closer.Answered();
    harness->forced += closer.Forced();
    if (!harness->recorder.calls.empty())
        FuzzFail("a language module turned an answer into the power call " +
                 harness->recorder.calls.front().function);
}

void Run(const Bytes& input) {
    const std::string path = WriteModule(input);
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        FuzzFail("the written language module does not load");
    CRecordingSite site;
    IHostPlugin* plugin = harness->library.CreatePlugin();
    if (!plugin)
        FuzzFail("the class factory made no object");
    plugin->SetSite(&site);
    plugin->SetResourceModule(0, module);
    Drive(plugin);
    plugin->SetResourceModule(0, nullptr);
    plugin->Release();
    FreeLibrary(module);
    DeleteFileA(path.c_str());
}

std::string Summary() {
    return std::to_string(harness->dialogs) + " dialogs answered (" +
           std::to_string(harness->forced) + " ended for want of an answer that ended them), " +
           std::to_string(harness->tooltips) + " tooltips shown";
}

// The English module built beside the program.
std::string BaseModulePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "fuzz_language_base.dll";
}

} // namespace

int main(int argc, char** argv) {
    // Gone with main, so that the scratch folder goes after the plug-in is unloaded.
    Harness instance;
    harness = &instance;
    harness->baseModule = BaseModulePath();
    harness->baseResources = BaseResources();
    if (harness->baseResources.empty()) {
        std::fprintf(stderr, "fuzz_language: no resources in %s\n", harness->baseModule.c_str());
        return 2;
    }
    if (!harness->library.IsLoaded() || !harness->recorder.Install(harness->library.Module())) {
        std::fprintf(stderr, "fuzz_language: cannot load %s with its power calls redirected\n",
                     harness->library.Path().c_str());
        return 2;
    }
    FuzzWatchModule(harness->library.Module());
    FuzzTarget target;
    target.name = "fuzz_language";
    target.maxSize = 1 << 20;
    target.timeoutMs = 30000;
    target.seeds = Seeds;
    target.run = Run;
    target.mutate = [](CMutator& mutator, const Bytes& input, const std::vector<Bytes>& seeds) {
        return MutateBundle(mutator, input, seeds, ResourceFields);
    };
    // Texts in string tables are UTF-16.
    for (const Bytes& token : Tokens({"<b>", "</b>", "<br>", "<hr=100%>", "<t>", "<", "<<", "&"})) {
        Bytes wide;
        for (uint8_t c : token)
            wide.insert(wide.end(), {c, 0});
        target.tokens.push_back(wide);
    }
    target.summary = Summary;
    return RunFuzzTarget(target, argc, argv);
}
