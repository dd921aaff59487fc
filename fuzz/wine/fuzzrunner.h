// Runs one fuzz target inside a Windows program, where there is no libFuzzer: first every
// kept input, then inputs mutated from the seeds for a number of runs or of seconds. An
// input that crashes, hangs or fails one of the target's checks is written to the
// findings folder as crash-, timeout- or fail-<hash>, and the program ends with 1.
//
//   <program> [--kept <folder>]... [--corpus <folder>]... [--findings <folder>]
//             [--runs <n>] [--seconds <n>] [--seed <n>|random]
//   <program> --write-seeds <folder>     writes the seeds as files seed-1, seed-2, ...
#pragma once

#include "fuzz/engine/mutator.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct FuzzTarget {
    std::string name;
    size_t maxSize = 0;
    DWORD timeoutMs = 0; // for one input
    std::function<std::vector<Bytes>()> seeds;
    std::function<void(const Bytes&)> run;
    // A new input from an old one and the seeds; by default the mutator over all of it.
    std::function<Bytes(CMutator&, const Bytes&, const std::vector<Bytes>&)> mutate;
    std::vector<Bytes> tokens; // pieces of the inputs' language, for the mutator
    // What the inputs did, for the closing line.
    std::function<std::string()> summary;
};

// A check of the target failed on the input under way: keeps it and ends the program.
[[noreturn]] void FuzzFail(const std::string& why);

// Faults at addresses inside this module are crashes even where the system goes on
// after them (as it does in timer callbacks). The program's own module is watched.
void FuzzWatchModule(HMODULE module);

int RunFuzzTarget(const FuzzTarget& target, int argc, char** argv);

std::vector<Bytes> Tokens(std::initializer_list<const char*> texts);
