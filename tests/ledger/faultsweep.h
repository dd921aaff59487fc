// Runs each failed call in a child process of its own, so that a crash or a hang of the
// plug-in ends only that child, and gathers what the children saw into one table.
#pragma once

#include "tests/ledger/faultinjector.h"

#include <windows.h>

#include <string>
#include <vector>

// One case: the nth call of function within one run of cycle fails. A call of 0 fails
// nothing and counts the calls instead.
struct FaultCase {
    std::string cycle;
    std::string function;
    unsigned call = 0;
};

// What the child of one case reported, and how it ended.
struct FaultOutcome {
    bool crashed = false;  // ended before its report was done, or with a failure code
    bool hung = false;     // still running when its time was up
    bool fired = false;    // the chosen call was made and refused
    bool leaked = false;   // the released object left something the ledger saw made
    bool recovered = true; // the next cycle, with nothing refused, passed
    DWORD exitCode = 0;
    std::string site;   // where the module made the refused call
    std::string detail; // the first lines of the leak or of the failed expectation
    std::vector<FunctionCalls> calls;
};

struct SweepRow {
    std::string function;
    std::string cycle;
    unsigned cases = 0;
    unsigned crashes = 0;
    unsigned hangs = 0;
    unsigned leaks = 0;
    unsigned notRecovered = 0;
    std::string example; // one failing case, described: a crash when there is one

    unsigned Faults() const { return crashes + hangs + leaks + notRecovered; }
};

// The child's side: the case the parent asked for, when this process is such a child.
bool ChildCase(FaultCase& order);
// Appends one line to the report the parent reads; a line break in it becomes a space.
void ReportToParent(std::string line);

// The parent's side: runs the case in a child of this program (its test filter named)
// and waits at most timeoutMs for it.
FaultOutcome RunChild(const std::string& testFilter, const FaultCase& order, DWORD timeoutMs);
// The calls to fail of a function the cycle calls calls times: each of the first ones,
// then spread evenly to the last, at most limit in all.
std::vector<unsigned> CallsToFail(unsigned calls, unsigned limit);
// Adds a case's outcome to its row, and prints a faulty one.
void Tally(SweepRow& row, const FaultCase& order, const FaultOutcome& outcome);
std::string SweepTable(const std::vector<SweepRow>& rows);
