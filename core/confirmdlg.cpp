#include "core/confirmdlg.h"

#include "core/actionflags.h"
#include "core/module.h"
#include "res/resource.h"

namespace {

struct Question {
    DWORD action;
    UINT stringId;
};

// Searched in this order: the first enabled action decides the question.
constexpr Question QUESTIONS[] = {
    {ACTION_LOGOFF, IDS_ASK_LOGOFF},       {ACTION_STANDBY, IDS_ASK_STANDBY},
    {ACTION_HIBERNATE, IDS_ASK_HIBERNATE}, {ACTION_RESTART, IDS_ASK_RESTART},
    {ACTION_TURNOFF, IDS_ASK_TURNOFF},     {ACTION_SWITCHUSER, IDS_ASK_SWITCHUSER},
};

} // namespace

CConfirmDlg::CConfirmDlg(HMODULE textModule, DWORD flags)
    : CModalDialog(IDD_CONFIRM), textModule(textModule), flags(flags) {}

void CConfirmDlg::OnInitDialog() {
    // The template may come from a language module that has no icons of its own.
    HWND icon = GetDlgItem(Window(), IDC_CONFIRM_ICON);
    if (icon && !SendMessageA(icon, STM_GETICON, 0, 0)) {
        SendMessageA(
            icon, STM_SETICON,
            reinterpret_cast<WPARAM>(LoadIconA(Module::Handle(), MAKEINTRESOURCEA(IDI_BUTTON))), 0);
    }
    for (const Question& question : QUESTIONS) {
        if (flags & question.action) {
            SetDlgItemTextA(Window(), IDC_QUESTION,
                            LoadDialogString(textModule, question.stringId).c_str());
            return;
        }
    }
}
