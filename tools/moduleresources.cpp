#include "tools/moduleresources.h"

#include <vector>

namespace {

constexpr UINT STRINGS_PER_BLOCK = 16;

BOOL CALLBACK AddNumbered(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(ids)->push_back(
            static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The numbered resources of one type; named ones are no resources of the plug-in.
std::vector<UINT> NumberedResources(HMODULE module, LPCSTR type) {
    std::vector<UINT> ids;
    EnumResourceNamesA(module, type, AddNumbered, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

} // namespace

CModuleResources::CModuleResources(HMODULE module) : module(module) {
    for (UINT block : NumberedResources(module, RT_STRING))
        ReadStringBlock(block);
    for (UINT id : NumberedResources(module, RT_DIALOG))
        ReadDialog(id);
}

bool CModuleResources::Bytes(LPCSTR type, UINT id, const BYTE*& data, DWORD& size) const {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    size = data ? SizeofResource(module, found) : 0;
    return data != nullptr;
}

// A block holds strings (block - 1) * 16 to block * 16 - 1, each a 16-bit length and
// that many UTF-16 units.
void CModuleResources::ReadStringBlock(UINT block) {
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (block == 0 || !Bytes(RT_STRING, block, data, size))
        return;
    size_t at = 0;
    for (UINT i = 0; i < STRINGS_PER_BLOCK && size - at >= 2; ++i) {
        const size_t length = data[at] | data[at + 1] << 8;
        at += 2;
        if (length > (size - at) / 2)
            return;
        std::u16string text(length, u'\0');
        for (size_t k = 0; k < length; ++k)
            text[k] = static_cast<char16_t>(data[at + 2 * k] | data[at + 2 * k + 1] << 8);
        at += 2 * length;
        if (!text.empty())
            strings[(block - 1) * STRINGS_PER_BLOCK + i] = std::move(text);
    }
}

void CModuleResources::ReadDialog(UINT id) {
    const BYTE* data = nullptr;
    DWORD size = 0;
    DialogTemplate dialog;
    if (Bytes(RT_DIALOG, id, data, size) && ReadDialogTemplate(data, size, dialog))
        dialogs[id] = std::move(dialog);
    else
        brokenDialogs.insert(id);
}
