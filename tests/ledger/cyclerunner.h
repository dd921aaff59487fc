// Runs one user cycle of the plug-in again and again under the handle ledger, and keeps
// the numbers of each run for the soak table.
#pragma once

#include "tests/ledger/handleledger.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Cycles before the private memory is taken as settled: the first ones fill caches.
constexpr int WARM_UP_CYCLES = 10;
// Growth of private memory allowed after the warm-up, whatever the count. Under Wine the
// figure is the resident memory of the whole process, Wine's own heaps included, and it
// moves in steps of 64 and 128 KiB as heaps give pages back: the settings cycle swings
// between levels up to 196 KiB apart, and in 40 cycles the later half may never come
// back to the lowest. Twice that swing is allowed. The halves lie 20 cycles apart in the
// suite's 50 and 495 in the soak's 1,000: the tip's bitmap leaked once a cycle passes the
// tolerance many times over (the deliberate leak test shows it), 20 KiB a cycle passes it
// in the suite, 1 KiB a cycle in the soak; the ledger sees a leaked handle at once.
constexpr SIZE_T MEMORY_TOLERANCE = 384 * 1024;
// Wine keeps about 110 bytes of its own for every icon loaded from a resource, even
// once it is destroyed (LoadImageA and DestroyIcon 2,000 times in a plain program: 220
// KB more, none of it in a Windows heap). The plug-in cannot give that back.
constexpr SIZE_T WINE_LOSS_PER_ICON = 128;

struct CycleRun {
    std::string name;
    int count = 0;
    LedgerCounts made;
    // The first cycle that left objects alive beyond those alive before the run, and the
    // ledger's description of them.
    int firstLeakAt = 0;
    std::string leakReport;
    // What the run left alive beyond what was alive before it.
    std::vector<LedgerEntry> leftAlive;
    SIZE_T memoryAtWarmUp = 0;
    SIZE_T memoryAtEnd = 0;
    // The least private memory after any cycle of the first and of the second half of the
    // cycles after the warm-up. A leak raises the second; a cycle whose memory swings
    // (one that switches between two skins, each kept until the next) does not.
    SIZE_T lowestEarly = 0;
    SIZE_T lowestLate = 0;

    long Net() const {
        return static_cast<long>(made.Created()) - static_cast<long>(made.Released());
    }
    long long Growth() const {
        return static_cast<long long>(lowestLate) - static_cast<long long>(lowestEarly);
    }
};

// How often each cycle runs: QUIESCOR_SOAK_CYCLES, else 50; never fewer than the warm-up
// and as many again.
int SoakCycles();
// The growth a run may show: the tolerance, and under Wine its loss for each icon the run
// made.
long long AllowedGrowth(const CycleRun& run);
// The process's private memory in bytes: its commit charge, which Wine also reports
// (its PrivateUsage stays 0).
SIZE_T PrivateMemory();

// Runs cycle count times and looks at the ledger after each: what was alive before the
// run (an object's caches, filled by an earlier cycle) may stay, nothing else may. Stops
// early only when the cycle itself fails a fatal assertion.
CycleRun RunCycles(CHandleLedger& ledger, const std::string& name, int count,
                   const std::function<void()>& cycle);

// The table of every run so far: cycle, count, created, released, net, private memory
// at the end of the warm-up and at the end, and its growth as the memory check takes it.
void AddToSoakTable(const CycleRun& run);
std::string SoakTable();
