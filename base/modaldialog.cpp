#include "base/modaldialog.h"

#include "base/dialogtemplate.h"
#include "base/guard.h"
#include "base/module.h"
#include "base/moduleresource.h"
#include "base/owners.h"
#include "base/windowobject.h"

namespace {

constexpr int DIALOG_STRING_SIZE = 500;
// Dialogs find their object in their user data, set at WM_INITDIALOG.
constexpr WindowObject<CModalDialog> DIALOG_OBJECT;

// The template of that name, when the module holds one whole: a template whose bytes
// end before its controls do counts as missing, as the system would read past it.
LPCDLGTEMPLATEW WholeTemplate(HMODULE module, const char* name) {
    HRSRC resource = module ? FindResourceA(module, name, RT_DIALOG) : nullptr;
    const BYTE* data = nullptr;
    DWORD size = 0;
    DialogTemplate dialog;
    if (!resource || !ModuleResourceBytes(module, resource, data, size) ||
        !ReadDialogTemplate(data, size, dialog))
        return nullptr;
    return reinterpret_cast<LPCDLGTEMPLATEW>(data);
}

} // namespace

INT_PTR CModalDialog::DoModal(HWND owner, HMODULE resourceModule) {
    module = resourceModule;
    char name[16];
    wsprintfA(name, "#%d", templateId);
    LPCDLGTEMPLATEW dialogTemplate = WholeTemplate(module, name);
    if (!dialogTemplate)
        dialogTemplate = WholeTemplate(Module::Handle(), name);
    if (!dialogTemplate)
        return 0;
    INT_PTR result = DialogBoxIndirectParamW(module, dialogTemplate, owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    window = nullptr;
    return result;
}

LRESULT CModalDialog::OnMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT CModalDialog::OnNotify(WPARAM, LPARAM) {
    return 0;
}

INT_PTR CALLBACK CModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CModalDialog*>(lParam);
        DIALOG_OBJECT.Attach(window, dialog);
        dialog->window = window;
        // A dialog that could not be set up whole is not shown half-made.
        const auto abandon = [&] {
            EndDialog(window, 0);
            return FALSE;
        };
        return Guarded(abandon, [&] {
            dialog->OnInitDialog();
            return TRUE;
        });
    }
    CModalDialog* dialog = DIALOG_OBJECT.Of(window);
    if (!dialog)
        return FALSE;
    return Guarded(FALSE, [&] { return dialog->Route(message, wParam, lParam); });
}

INT_PTR CModalDialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_COMMAND:
        // Only a click (Enter, Escape and the close box come as one) answers the dialog:
        // a language module's template may give these identifiers to controls of other
        // classes, whose notifications must not say Yes for the user.
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
            if (OnOK())
                EndDialog(window, IDOK);
        } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, IDCANCEL);
        } else {
            OnCommand(wParam);
        }
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The control picks its own colours; its brush is the dialog's answer.
        return SendMessageW(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam);
    default: {
        bool handled = false;
        LRESULT result = OnMessage(message, wParam, lParam, handled);
        return handled ? result : FALSE;
    }
    }
}

RECT DialogItemRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PrintControls(HWND dialog, HDC picture) {
    for (HWND control = GetWindow(dialog, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        if (!IsWindowVisible(control))
            continue;
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        // A control draws at the origin of the device it is given, over what lies beneath.
        DibSection own(picture, width, -height, 32);
        if (!own)
            continue;
        BitBlt(own.Dc(), 0, 0, width, height, picture, rect.left, rect.top, SRCCOPY);
        SendMessageW(control, WM_PRINT, reinterpret_cast<WPARAM>(own.Dc()),
                     PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
        BitBlt(picture, rect.left, rect.top, width, height, own.Dc(), 0, 0, SRCCOPY);
        ValidateRect(control, nullptr);
    }
}

void ShowWhatWasPainted() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

std::wstring LoadDialogString(HMODULE module, UINT id) {
    std::wstring text = LoadModuleText(module, id, DIALOG_STRING_SIZE - 1);
    return text.empty() ? LoadModuleText(Module::Handle(), id, DIALOG_STRING_SIZE - 1) : text;
}
