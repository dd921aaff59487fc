// Strings from a module's string table, the language module's included. LoadStringA
// trusts the lengths in a block of sixteen strings: a block whose lengths run past its
// end would make it read beyond the resource, so a block is checked first.
#pragma once

#include <windows.h>

// As LoadStringA (at most size - 1 characters, always terminated); 0 and an empty text
// when the module has no such string or its block does not hold together.
int LoadModuleString(HMODULE module, UINT id, char* text, int size);
