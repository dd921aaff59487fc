// A language module held against the plug-in's own resources: its version, its strings
// and their markup, its dialog templates, and whether its texts fit their controls.
#pragma once

#include "tools/findings.h"
#include "tools/moduleresources.h"

#include <windows.h>

#include <string>

class CLanguageCheck {
public:
    // reference: a module that carries the plug-in's own resources.
    explicit CLanguageCheck(HMODULE reference) : own(reference) {}

    // False when the file cannot be opened as a module at all.
    bool Check(const std::string& path, CFindings& findings) const;

private:
    void CheckStrings(const CModuleResources& module, CFindings& findings) const;
    void CheckDialogs(const CModuleResources& module, CFindings& findings) const;
    void CheckControls(UINT id, const DialogTemplate& dialog, CFindings& findings) const;
    void CheckQuestions(const CModuleResources& module, CFindings& findings) const;

    CModuleResources own;
};
