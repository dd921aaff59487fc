// The replacements the ledger puts into a module's import table.
#pragma once

#include <vector>

class CHandleLedger;

struct LedgerHook {
    const char* dll;
    const char* function;
    void* replacement;
};

// Every import the ledger knows; a module that imports only some gets only those.
const std::vector<LedgerHook>& LedgerHooks();

// The ledger the hooks report to; with none they only pass the calls on.
CHandleLedger* ActiveLedger();
void SetActiveLedger(CHandleLedger* ledger);
