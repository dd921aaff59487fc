#include "core/modaldialog.h"

#include "core/module.h"
#include "core/owners.h"

namespace {

constexpr int DIALOG_STRING_SIZE = 500;

bool LoadStringFrom(HMODULE module, UINT id, char (&text)[DIALOG_STRING_SIZE]) {
    return module && LoadStringA(module, id, text, DIALOG_STRING_SIZE) > 0;
}

} // namespace

INT_PTR CModalDialog::DoModal(HWND owner, HMODULE resourceModule) {
    module = resourceModule;
    char name[16];
    wsprintfA(name, "#%d", templateId);
    HMODULE source = module;
    HRSRC resource = FindResourceA(source, name, RT_DIALOG);
    if (!resource) {
        source = Module::Handle();
        resource = FindResourceA(source, name, RT_DIALOG);
    }
    if (!resource)
        return 0;
    HGLOBAL loaded = LoadResource(source, resource);
    auto* dialogTemplate = static_cast<LPCDLGTEMPLATEA>(LockResource(loaded));
    if (!dialogTemplate) {
        FreeResource(loaded);
        return 0;
    }
    INT_PTR result = DialogBoxIndirectParamA(module, dialogTemplate, owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    FreeResource(loaded);
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
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        dialog->window = window;
        dialog->OnInitDialog();
        return TRUE;
    }
    auto* dialog = reinterpret_cast<CModalDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!dialog)
        return FALSE;
    return dialog->Route(message, wParam, lParam);
}

INT_PTR CModalDialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (OnOK())
                EndDialog(window, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, IDCANCEL);
        } else {
            OnCommand(wParam);
        }
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The control picks its own colours; its brush is the dialog's answer.
        return SendMessageA(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam);
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
        SendMessageA(control, WM_PRINT, reinterpret_cast<WPARAM>(own.Dc()),
                     PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
        BitBlt(picture, rect.left, rect.top, width, height, own.Dc(), 0, 0, SRCCOPY);
        ValidateRect(control, nullptr);
    }
}

void ShowWhatWasPainted() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

std::string LoadDialogString(HMODULE module, UINT id) {
    char text[DIALOG_STRING_SIZE] = {};
    if (LoadStringFrom(module, id, text) || LoadStringFrom(Module::Handle(), id, text))
        return text;
    return std::string();
}
