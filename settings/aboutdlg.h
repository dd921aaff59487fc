// The about box: the plug-in's picture, name and file version.
#pragma once

#include "base/modaldialog.h"

#include <string>

class CAboutDlg : public CModalDialog {
public:
    CAboutDlg();

    // "2.1" for 2.1.0.0: trailing zero parts are left out, but never all four.
    static std::string FormatVersion(DWORD mostSignificant, DWORD leastSignificant);

protected:
    void OnInitDialog() override;
    void OnPaint() override;
};
