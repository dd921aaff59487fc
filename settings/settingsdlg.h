// The settings dialog: skin, actions, confirmation and hot key.
#pragma once

#include <windows.h>

class CSettingsDlg {
public:
    DWORD flags = 0;
    WORD hotKey = 0;
    char skinName[MAX_PATH] = {};

    // IDOK when the user accepted the new values.
    INT_PTR DoModal(HWND owner, HMODULE module);
};
