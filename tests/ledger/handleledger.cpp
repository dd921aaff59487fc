#include "tests/ledger/handleledger.h"

#include "tests/ledger/ledgerhooks.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* KIND_NAMES[] = {
    "bitmap", "DIB section", "memory DC", "font",       "brush",     "pen",
    "region", "icon",        "cursor",    "image list", "window DC", "paint DC",
    "window", "timer",       "caret",     "property",   "library",   "file search",
};
static_assert(sizeof KIND_NAMES / sizeof *KIND_NAMES == static_cast<size_t>(LedgerKind::Count),
              "a name for every kind");

size_t Index(LedgerKind kind) {
    return static_cast<size_t>(kind);
}

std::string Hex(UINT_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string ModuleName(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    const char* name = path;
    for (const char* at = path; *at; ++at) {
        if (*at == '\\' || *at == '/')
            name = at + 1;
    }
    return name;
}

} // namespace

const char* KindName(LedgerKind kind) {
    return Index(kind) < Index(LedgerKind::Count) ? KIND_NAMES[Index(kind)] : "?";
}

unsigned LedgerCounts::Created() const {
    unsigned total = 0;
    for (unsigned count : created)
        total += count;
    return total;
}

unsigned LedgerCounts::Released() const {
    unsigned total = 0;
    for (unsigned count : released)
        total += count;
    return total;
}

LedgerCounts LedgerCounts::operator-(const LedgerCounts& earlier) const {
    LedgerCounts difference;
    for (size_t k = 0; k < created.size(); ++k) {
        difference.created[k] = created[k] - earlier.created[k];
        difference.released[k] = released[k] - earlier.released[k];
    }
    return difference;
}

CHandleLedger::~CHandleLedger() {
    Uninstall();
}

bool CHandleLedger::Install(HMODULE target, const std::string& mapPath) {
    Uninstall();
    if (!target)
        return false;
    module = target;
    imageSize = ModuleImageSize(target);
    if (!mapPath.empty())
        map.Load(mapPath);
    for (const LedgerHook& hook : LedgerHooks()) {
        CImportPatch patch;
        if (!patch.Install(target, hook.dll, hook.function, hook.replacement))
            continue;
        patches.push_back(std::move(patch));
    }
    if (patches.empty()) {
        Uninstall();
        return false;
    }
    SetActiveLedger(this);
    return true;
}

void CHandleLedger::Uninstall() {
    if (ActiveLedger() == this)
        SetActiveLedger(nullptr);
    patches.clear();
    module = nullptr;
}

void CHandleLedger::Made(LedgerKind kind, UINT_PTR handle, HWND window, const char* creator,
                         void* returnTo, const std::string& name) {
    alive.push_back({kind, handle, window, name, creator, Offset(returnTo)});
    ++counts.created[Index(kind)];
}

// The newest first: a library loaded twice is freed in the opposite order.
long CHandleLedger::Find(std::initializer_list<LedgerKind> kinds, UINT_PTR handle, HWND window,
                         const std::string& name) const {
    for (size_t k = alive.size(); k-- > 0;) {
        const LedgerEntry& entry = alive[k];
        if (entry.handle != handle || entry.name != name ||
            std::find(kinds.begin(), kinds.end(), entry.kind) == kinds.end())
            continue;
        const bool byWindow = entry.kind == LedgerKind::Timer || entry.kind == LedgerKind::Caret ||
                              entry.kind == LedgerKind::Property;
        if (!byWindow || entry.window == window)
            return static_cast<long>(k);
    }
    return -1;
}

bool CHandleLedger::Knows(std::initializer_list<LedgerKind> kinds, UINT_PTR handle, HWND window,
                          const std::string& name) const {
    return Find(kinds, handle, window, name) >= 0;
}

bool CHandleLedger::Release(std::initializer_list<LedgerKind> kinds, UINT_PTR handle, HWND window,
                            const std::string& name) {
    const long found = Find(kinds, handle, window, name);
    if (found < 0)
        return false;
    ReleaseAt(static_cast<size_t>(found));
    return true;
}

void CHandleLedger::Foreign(const char* function, UINT_PTR handle, void* returnTo) {
    foreign.push_back({function, handle, Offset(returnTo)});
}

void CHandleLedger::ReleaseAll(LedgerKind kind) {
    for (size_t k = alive.size(); k-- > 0;) {
        if (alive[k].kind == kind)
            ReleaseAt(k);
    }
}

void CHandleLedger::ReleaseAt(size_t index) {
    ++counts.released[Index(alive[index].kind)];
    alive.erase(alive.begin() + static_cast<std::ptrdiff_t>(index));
}

// What the system destroys with a window needs no release of the module's own; a window
// property does: the module must remove it before the window is gone.
void CHandleLedger::Sweep() {
    for (size_t k = alive.size(); k-- > 0;) {
        const LedgerEntry& entry = alive[k];
        const bool gone =
            entry.kind == LedgerKind::Window
                ? !IsWindow(reinterpret_cast<HWND>(entry.handle))
                : (entry.kind == LedgerKind::Timer || entry.kind == LedgerKind::Caret) &&
                      entry.window && !IsWindow(entry.window);
        if (gone)
            ReleaseAt(k);
    }
}

const std::vector<LedgerEntry>& CHandleLedger::Alive() {
    Sweep();
    return alive;
}

LedgerCounts CHandleLedger::Counts() {
    Sweep();
    return counts;
}

UINT_PTR CHandleLedger::Offset(void* returnTo) const {
    return reinterpret_cast<UINT_PTR>(returnTo) - reinterpret_cast<UINT_PTR>(module);
}

std::string CHandleLedger::Site(UINT_PTR offset) const {
    std::string site = offset < imageSize ? ModuleName(module) + "+" + Hex(offset)
                                          : "outside " + ModuleName(module);
    const std::string function = offset < imageSize ? map.FunctionAt(offset) : std::string();
    if (!function.empty())
        site += " (" + function + ")";
    return site;
}

std::string CHandleLedger::Describe(const LedgerEntry& entry) const {
    std::string text = std::string(KindName(entry.kind)) + " " + Hex(entry.handle);
    if (!entry.name.empty())
        text += " \"" + entry.name + "\"";
    if (entry.window)
        text += " of window " + Hex(reinterpret_cast<UINT_PTR>(entry.window));
    return text + " made by " + entry.creator + " at " + Site(entry.callSite);
}

std::string CHandleLedger::Describe(const ForeignRelease& release) const {
    return std::string(release.function) + "(" + Hex(release.handle) + ") of nothing made at " +
           Site(release.callSite);
}

std::string CHandleLedger::Report() {
    std::string report;
    for (const LedgerEntry& entry : Alive())
        report += Describe(entry) + "\n";
    for (const ForeignRelease& release : foreign)
        report += Describe(release) + "\n";
    return report;
}
