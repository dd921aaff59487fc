// Points one imported function of a loaded module somewhere else while it lives, by
// rewriting the module's import table: the module itself needs no switch for it.
#pragma once

#include <windows.h>

class CImportPatch {
public:
    CImportPatch() = default;
    ~CImportPatch() { Remove(); }
    CImportPatch(const CImportPatch&) = delete;
    CImportPatch& operator=(const CImportPatch&) = delete;
    CImportPatch(CImportPatch&& other) noexcept : slot(other.slot), original(other.original) {
        other.slot = nullptr;
    }

    // False when the module does not import dll!function by name, or the slot cannot
    // be written.
    bool Install(HMODULE module, const char* dll, const char* function, void* replacement);
    void Remove();
    void* Original() const { return original; }

private:
    void** slot = nullptr;
    void* original = nullptr;
};

// True when the module's import table names this DLL, whatever its case.
bool ModuleImports(HMODULE module, const char* dll);
// The number of bytes the module's image takes in memory.
DWORD ModuleImageSize(HMODULE module);
