// The string table and the dialog templates of a module, read from its resources the
// way the plug-in finds them.
#pragma once

#include "base/dialogtemplate.h"

#include <windows.h>

#include <map>
#include <set>
#include <string>

class CModuleResources {
public:
    explicit CModuleResources(HMODULE module);

    // Every string that is not empty, by its identifier.
    const std::map<UINT, std::u16string>& Strings() const { return strings; }
    const std::map<UINT, DialogTemplate>& Dialogs() const { return dialogs; }
    // Dialog resources whose bytes are not a whole template.
    const std::set<UINT>& BrokenDialogs() const { return brokenDialogs; }

private:
    void ReadStringBlock(UINT block);
    void ReadDialog(UINT id);
    // The bytes of a resource, or false.
    bool Bytes(LPCSTR type, UINT id, const BYTE*& data, DWORD& size) const;

    HMODULE module;
    std::map<UINT, std::u16string> strings;
    std::map<UINT, DialogTemplate> dialogs;
    std::set<UINT> brokenDialogs;
};
