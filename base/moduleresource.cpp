#include "base/moduleresource.h"

namespace {

constexpr UINT STRINGS_PER_BLOCK = 16;

// The module's image, when the handle is one (a module mapped as a data file has its
// low bits set and no image size to go by).
bool ImageBounds(HMODULE module, const BYTE*& start, const BYTE*& end) {
    if (reinterpret_cast<ULONG_PTR>(module) & 3)
        return false;
    start = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(start);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(start + dos->e_lfanew);
    end = start + nt->OptionalHeader.SizeOfImage;
    return true;
}

// True when the strings up to the one asked for lie inside their block.
bool BlockHolds(HMODULE module, UINT id) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id / STRINGS_PER_BLOCK + 1), RT_STRING);
    const BYTE* block = nullptr;
    DWORD size = 0;
    if (!found || !ModuleResourceBytes(module, found, block, size))
        return false;
    DWORD at = 0;
    for (UINT index = 0; index <= id % STRINGS_PER_BLOCK; ++index) {
        if (size - at < sizeof(WORD))
            return false;
        const DWORD length = block[at] | block[at + 1] << 8;
        at += sizeof(WORD);
        if (length > (size - at) / sizeof(WCHAR))
            return false;
        at += length * sizeof(WCHAR);
    }
    return true;
}

} // namespace

bool ModuleResourceBytes(HMODULE module, HRSRC resource, const BYTE*& data, DWORD& size) {
    HGLOBAL loaded = LoadResource(module, resource);
    data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    size = SizeofResource(module, resource);
    if (!data)
        return false;
    const BYTE* start = nullptr;
    const BYTE* end = nullptr;
    return !ImageBounds(module, start, end) ||
           (data >= start && data <= end && size <= static_cast<DWORD>(end - data));
}

std::wstring LoadModuleText(HMODULE module, UINT id, int maxLength) {
    if (!module || maxLength <= 0 || !BlockHolds(module, id))
        return std::wstring();
    std::wstring text(static_cast<size_t>(maxLength) + 1, L'\0');
    const int length = LoadStringW(module, id, &text[0], maxLength + 1);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}
