#include "settings/settingsdlg.h"

// The dialog's template and controls are not built yet: until they are, opening the
// settings ends as if the user had cancelled, and nothing changes.
INT_PTR CSettingsDlg::DoModal(HWND, HMODULE) {
    return IDCANCEL;
}
