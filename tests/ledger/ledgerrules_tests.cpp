// The ledger's rules tried on a module of known behaviour: what the module must still
// release, what the system takes off its hands, and what is a release of nothing.
#include "tests/ledger/handleledger.h"
#include "tests/ledger/ledgerprobe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kinds = std::vector<std::string>;

struct Rule {
    ProbeAction action;
    bool windowDestroyed;
    Kinds alive;
    size_t foreign;
    const char* why;
};

const Rule RULES[] = {
    {PROBE_BRUSH_KEPT, false, {"brush"}, 0, "a brush nobody deletes"},
    {PROBE_BRUSH_DELETED_TWICE, false, {}, 1, "the second delete is of nothing"},
    {PROBE_STOCK_OBJECT_DELETED, false, {}, 0, "stock objects are nobody's to delete"},
    {PROBE_PROPERTY_SET, true, {"property"}, 0, "the window's end does not remove a property"},
    {PROBE_PROPERTY_SET_AND_REMOVED, false, {}, 0, "a property set twice is one"},
    {PROBE_WINDOW_TIMER, false, {"timer"}, 0, "a window's timer set twice is one"},
    {PROBE_WINDOW_TIMER, true, {}, 0, "a window's timer ends with it"},
    {PROBE_THREAD_TIMER, true, {"timer"}, 0, "a thread's timer needs killing"},
    {PROBE_CHILD_WINDOW, true, {}, 0, "a child window ends with its parent"},
    {PROBE_WINDOW_DC, true, {"window DC"}, 0, "a window's DC must be released"},
    {PROBE_WINDOW_REGION, false, {}, 0, "a region the window took is the window's"},
    {PROBE_CARET, false, {"caret"}, 0, "a new caret replaces the old"},
    {PROBE_CARET, true, {}, 0, "a caret ends with its window"},
    {PROBE_SHARED_ICON, false, {}, 0, "a shared icon is the system's"},
    {PROBE_ICON_INFO, false, {"bitmap", "bitmap"}, 0, "an icon's mask and colour"},
    {PROBE_LIBRARY_LOADED_TWICE_FREED_ONCE, false, {"library"}, 0, "one load is still held"},
};

TEST(LedgerRules, WhatAModuleMustStillReleaseAndWhatIsAReleaseOfNothing) {
    HMODULE module = LoadLibraryA(QUIESCOR_PROBE_PATH);
    ASSERT_NE(module, nullptr);
    auto probe = reinterpret_cast<UINT_PTR (*)(int, HWND)>(
        reinterpret_cast<void*>(GetProcAddress(module, "Probe")));
    ASSERT_NE(probe, nullptr);
    for (const Rule& rule : RULES) {
        SCOPED_TRACE(rule.why);
        HWND window =
            CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        CHandleLedger ledger;
        ASSERT_TRUE(ledger.Install(module));
        const UINT_PTR result = probe(rule.action, window);
        if (rule.windowDestroyed)
            DestroyWindow(window);
        Kinds alive;
        for (const LedgerEntry& entry : ledger.Alive()) {
            alive.push_back(KindName(entry.kind));
            EXPECT_EQ(ledger.Site(entry.callSite).rfind("ledgerprobe.dll+0x", 0), 0u)
                << ledger.Describe(entry);
        }
        EXPECT_EQ(alive, rule.alive) << ledger.Report();
        EXPECT_EQ(ledger.ForeignReleases().size(), rule.foreign) << ledger.Report();
        const LedgerCounts counts = ledger.Counts();
        EXPECT_EQ(counts.Created() - counts.Released(), alive.size());

        ledger.Uninstall();
        if (rule.action == PROBE_THREAD_TIMER)
            KillTimer(nullptr, result);
        if (rule.action == PROBE_LIBRARY_LOADED_TWICE_FREED_ONCE)
            FreeLibrary(GetModuleHandleA("comctl32.dll"));
        DestroyCaret();
        if (IsWindow(window))
            DestroyWindow(window);
    }
    FreeLibrary(module);
}

} // namespace
