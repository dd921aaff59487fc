// Resources of a module that may come from outside (the language module): their bytes
// only when they lie inside the module, and strings only from a string block that holds
// together (LoadString trusts the lengths in a block and would read beyond it).
#pragma once

#include <windows.h>

#include <string>

// The resource's bytes, when it loads and lies inside the module's image.
bool ModuleResourceBytes(HMODULE module, HRSRC resource, const BYTE*& data, DWORD& size);

// The string as the module holds it, UTF-16, at most maxLength characters; empty when the
// module has no such string or its block does not hold together.
std::wstring LoadModuleText(HMODULE module, UINT id, int maxLength);
