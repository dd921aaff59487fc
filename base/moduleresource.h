// Resources of a module that may come from outside (the language module): their bytes
// only when they lie inside the module, and strings only from a string block that holds
// together (LoadStringA trusts the lengths in a block and would read beyond it).
#pragma once

#include <windows.h>

// The resource's bytes, when it loads and lies inside the module's image.
bool ModuleResourceBytes(HMODULE module, HRSRC resource, const BYTE*& data, DWORD& size);

// As LoadStringA (at most size - 1 characters, always terminated); 0 and an empty text
// when the module has no such string or its block does not hold together.
int LoadModuleString(HMODULE module, UINT id, char* text, int size);
