// Counts the GDI and USER objects a loaded module makes and releases, by rewriting its
// import table, and tells which of them are still alive and where each was made. Under
// Wine GetGuiResources answers 0, so the module's own calls are the only witness.
#pragma once

#include "host/importpatch.h"
#include "tests/ledger/linkermap.h"

#include <windows.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

enum class LedgerKind {
    Bitmap,
    DibSection,
    MemoryDC,
    Font,
    Brush,
    Pen,
    Region,
    Icon,
    Cursor,
    ImageList,
    WindowDC,
    PaintDC,
    Window,
    Timer,
    Caret,
    Property,
    Library,
    FileSearch,
    Count
};

const char* KindName(LedgerKind kind);

struct LedgerEntry {
    LedgerKind kind;
    UINT_PTR handle;     // the object; a timer's identifier; a property's atom or 0
    HWND window;         // the window a DC, timer, caret or property belongs to
    std::string name;    // a property's name
    const char* creator; // the import that made it
    UINT_PTR callSite;   // return address of that call, as an offset into the module
};

struct LedgerCounts {
    std::array<unsigned, static_cast<size_t>(LedgerKind::Count)> created{};
    std::array<unsigned, static_cast<size_t>(LedgerKind::Count)> released{};

    unsigned Created() const;
    unsigned Released() const;
    LedgerCounts operator-(const LedgerCounts& earlier) const;
};

// A release the ledger never saw made: a double release, or one of something the
// module did not create itself.
struct ForeignRelease {
    const char* function;
    UINT_PTR handle;
    UINT_PTR callSite;
};

class CHandleLedger {
public:
    CHandleLedger() = default;
    ~CHandleLedger();
    CHandleLedger(const CHandleLedger&) = delete;
    CHandleLedger& operator=(const CHandleLedger&) = delete;

    // Counts the module's calls from now on; names the call sites from the linker's map
    // when there is one. False when it imports none of the functions that make objects.
    // One ledger at a time.
    bool Install(HMODULE module, const std::string& mapPath = {});
    void Uninstall();

    // What the module must still release. Windows destroyed with their parent or owner,
    // and the timers and carets that went with them, count as released.
    const std::vector<LedgerEntry>& Alive();
    LedgerCounts Counts();
    const std::vector<ForeignRelease>& ForeignReleases() const { return foreign; }

    // One line per live object and per foreign release, with the call site.
    std::string Report();
    std::string Describe(const LedgerEntry& entry) const;
    std::string Describe(const ForeignRelease& release) const;
    // A call site as "quiescor.dll+0x1a2b", with the function around it when the map
    // names it.
    std::string Site(UINT_PTR offset) const;

    // For the hooks. Timers, carets and properties are told apart by their window too;
    // everything else by its handle alone.
    void Made(LedgerKind kind, UINT_PTR handle, HWND window, const char* creator, void* returnTo,
              const std::string& name = {});
    bool Knows(std::initializer_list<LedgerKind> kinds, UINT_PTR handle, HWND window,
               const std::string& name) const;
    // Ends the newest live entry that matches; false when there is none.
    bool Release(std::initializer_list<LedgerKind> kinds, UINT_PTR handle, HWND window,
                 const std::string& name);
    void ReleaseAll(LedgerKind kind);
    void Foreign(const char* function, UINT_PTR handle, void* returnTo);

private:
    long Find(std::initializer_list<LedgerKind> kinds, UINT_PTR handle, HWND window,
              const std::string& name) const;
    void Sweep();
    void ReleaseAt(size_t index);
    UINT_PTR Offset(void* returnTo) const;

    HMODULE module = nullptr;
    UINT_PTR imageSize = 0;
    CLinkerMap map;
    std::vector<CImportPatch> patches;
    std::vector<LedgerEntry> alive;
    std::vector<ForeignRelease> foreign;
    LedgerCounts counts;
};
