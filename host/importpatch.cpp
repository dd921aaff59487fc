#include "host/importpatch.h"

#include <cstring>

namespace {

template <typename T> T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

IMAGE_NT_HEADERS* Headers(HMODULE module) {
    return At<IMAGE_NT_HEADERS>(module, reinterpret_cast<IMAGE_DOS_HEADER*>(module)->e_lfanew);
}

// The first entry of the module's import table, or null; the table ends at an entry
// without a name.
IMAGE_IMPORT_DESCRIPTOR* FirstImport(HMODULE module) {
    const IMAGE_DATA_DIRECTORY& directory =
        Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return nullptr;
    return At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress);
}

void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    IMAGE_IMPORT_DESCRIPTOR* entry = FirstImport(module);
    for (; entry && entry->Name; ++entry) {
        if (lstrcmpiA(At<char>(module, entry->Name), dll) != 0 || !entry->OriginalFirstThunk)
            continue;
        auto* names = At<IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return *slot == value;
}

} // namespace

bool CImportPatch::Install(HMODULE module, const char* dll, const char* function,
                           void* replacement) {
    Remove();
    void** found = ImportSlot(module, dll, function);
    if (!found)
        return false;
    void* previous = *found;
    if (!WriteSlot(found, replacement))
        return false;
    slot = found;
    original = previous;
    return true;
}

void CImportPatch::Remove() {
    if (slot)
        WriteSlot(slot, original);
    slot = nullptr;
}

bool ModuleImports(HMODULE module, const char* dll) {
    for (IMAGE_IMPORT_DESCRIPTOR* entry = FirstImport(module); entry && entry->Name; ++entry) {
        if (lstrcmpiA(At<char>(module, entry->Name), dll) == 0)
            return true;
    }
    return false;
}

DWORD ModuleImageSize(HMODULE module) {
    return Headers(module)->OptionalHeader.SizeOfImage;
}
