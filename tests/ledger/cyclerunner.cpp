#include "tests/ledger/cyclerunner.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int DEFAULT_CYCLES = 50;

std::vector<CycleRun>& Table() {
    static std::vector<CycleRun> table;
    return table;
}

bool SameObject(const LedgerEntry& a, const LedgerEntry& b) {
    return a.kind == b.kind && a.handle == b.handle && a.window == b.window;
}

std::vector<LedgerEntry> AliveBeyond(CHandleLedger& ledger,
                                     const std::vector<LedgerEntry>& before) {
    std::vector<LedgerEntry> beyond;
    for (const LedgerEntry& entry : ledger.Alive()) {
        const auto same = [&](const LedgerEntry& old) { return SameObject(old, entry); };
        if (std::none_of(before.begin(), before.end(), same))
            beyond.push_back(entry);
    }
    return beyond;
}

std::string Describe(CHandleLedger& ledger, const std::vector<LedgerEntry>& entries) {
    std::string report;
    for (const LedgerEntry& entry : entries)
        report += ledger.Describe(entry) + "\n";
    return report;
}

std::string Kilobytes(SIZE_T bytes) {
    return std::to_string(bytes / 1024) + " KiB";
}

} // namespace

int SoakCycles() {
    const char* setting = std::getenv("QUIESCOR_SOAK_CYCLES");
    const int asked = setting ? std::atoi(setting) : DEFAULT_CYCLES;
    return std::max(asked, 2 * WARM_UP_CYCLES);
}

long long AllowedGrowth(const CycleRun& run) {
    const bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    const unsigned icons = run.made.created[static_cast<size_t>(LedgerKind::Icon)];
    return static_cast<long long>(MEMORY_TOLERANCE) +
           (underWine ? static_cast<long long>(icons) * WINE_LOSS_PER_ICON : 0);
}

SIZE_T PrivateMemory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PagefileUsage;
}

CycleRun RunCycles(CHandleLedger& ledger, const std::string& name, int count,
                   const std::function<void()>& cycle) {
    CycleRun run;
    run.name = name;
    const std::vector<LedgerEntry> aliveBefore = ledger.Alive();
    const LedgerCounts before = ledger.Counts();
    size_t foreignBefore = ledger.ForeignReleases().size();
    for (int k = 1; k <= count; ++k) {
        cycle();
        run.count = k;
        if (::testing::Test::HasFatalFailure())
            break;
        const std::vector<LedgerEntry> beyond = AliveBeyond(ledger, aliveBefore);
        const bool leftSomething =
            !beyond.empty() || ledger.ForeignReleases().size() != foreignBefore;
        if (leftSomething && !run.firstLeakAt) {
            run.firstLeakAt = k;
            run.leakReport = Describe(ledger, beyond);
            for (size_t i = foreignBefore; i < ledger.ForeignReleases().size(); ++i)
                run.leakReport += ledger.Describe(ledger.ForeignReleases()[i]) + "\n";
        }
        const SIZE_T memory = PrivateMemory();
        if (k == WARM_UP_CYCLES)
            run.memoryAtWarmUp = memory;
        if (k > WARM_UP_CYCLES) {
            const bool late = k > (WARM_UP_CYCLES + count) / 2;
            SIZE_T& lowest = late ? run.lowestLate : run.lowestEarly;
            lowest = lowest ? std::min(lowest, memory) : memory;
        }
    }
    run.memoryAtEnd = PrivateMemory();
    run.made = ledger.Counts() - before;
    run.leftAlive = AliveBeyond(ledger, aliveBefore);
    return run;
}

void AddToSoakTable(const CycleRun& run) {
    Table().push_back(run);
}

std::string SoakTable() {
    std::string table;
    char line[256];
    std::snprintf(line, sizeof line, "%-44s %6s %8s %8s %5s %12s %12s %10s\n", "cycle", "count",
                  "created", "released", "net", "memory@10", "memory@end", "growth");
    table += line;
    for (const CycleRun& run : Table()) {
        std::snprintf(line, sizeof line, "%-44s %6d %8u %8u %5ld %12s %12s %6lld KiB\n",
                      run.name.c_str(), run.count, run.made.Created(), run.made.Released(),
                      run.Net(), Kilobytes(run.memoryAtWarmUp).c_str(),
                      Kilobytes(run.memoryAtEnd).c_str(), run.Growth() / 1024);
        table += line;
    }
    return table;
}
