#include "plugin/confirmdlg.h"

#include "api/actiontable.h"
#include "base/module.h"
#include "res/resource.h"

namespace {

// Searched in this order: the first enabled action decides the question.
constexpr DWORD QUESTION_ORDER[] = {ACTION_LOGOFF,  ACTION_STANDBY, ACTION_HIBERNATE,
                                    ACTION_RESTART, ACTION_TURNOFF, ACTION_SWITCHUSER};

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
    for (DWORD action : QUESTION_ORDER) {
        if (flags & action) {
            SetDlgItemTextW(Window(), IDC_QUESTION,
                            LoadDialogString(textModule, FindAction(action)->questionId).c_str());
            return;
        }
    }
}
