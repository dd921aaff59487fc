// "Exit Windows": asks before the one enabled action is performed.
#pragma once

#include "base/modaldialog.h"

class CConfirmDlg : public CModalDialog {
public:
    CConfirmDlg(HMODULE textModule, DWORD flags);

protected:
    void OnInitDialog() override;

private:
    HMODULE textModule;
    DWORD flags;
};
