// A language module held against the plug-in's own resources: its kind and version, its
// strings and their markup and encoding, its dialog templates, and whether its texts fit
// their controls and the exit window.
#pragma once

#include "tools/findings.h"
#include "tools/moduleresources.h"

#include <windows.h>

#include <string>

class CLanguageCheck {
public:
    // reference: a module that carries the plug-in's own resources.
    explicit CLanguageCheck(HMODULE reference) : own(reference) {}

    // False when the file is not a module at all.
    bool Check(const std::string& path, CFindings& findings) const;

private:
    void CheckStrings(const CModuleResources& module, CFindings& findings) const;
    void CheckDialogs(const CModuleResources& module, CFindings& findings) const;
    void CheckControls(UINT id, const DialogTemplate& dialog, CFindings& findings) const;
    void CheckQuestions(const CModuleResources& module, CFindings& findings) const;
    void CheckCaptions(HMODULE module, const CModuleResources& resources,
                       CFindings& findings) const;
    void CheckTitleLetters(const CModuleResources& module, CFindings& findings) const;

    CModuleResources own;
};

// "string IDS_TIP_CANCEL (113)": a string as the resource header names it.
std::string StringLabel(UINT id);
