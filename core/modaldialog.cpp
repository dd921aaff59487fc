#include "core/modaldialog.h"

#include "core/module.h"

#include <optional>

namespace {

constexpr int DIALOG_STRING_SIZE = 500;

// Gives the next dialog window this thread makes the place and size of a rectangle.
class CreationPlacement {
public:
    explicit CreationPlacement(const RECT& rect) : rect(rect) {
        pending = this;
        hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~CreationPlacement() {
        Unhook();
        pending = nullptr;
    }
    CreationPlacement(const CreationPlacement&) = delete;
    CreationPlacement& operator=(const CreationPlacement&) = delete;

private:
    static bool IsDialogClass(LPCSTR className) {
        constexpr WORD DIALOG_CLASS_ATOM = 32770;
        if (IS_INTRESOURCE(className))
            return LOWORD(reinterpret_cast<UINT_PTR>(className)) == DIALOG_CLASS_ATOM;
        return lstrcmpiA(className, "#32770") == 0;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        CreationPlacement* placement = pending;
        if (code == HCBT_CREATEWND && placement) {
            CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            if (IsDialogClass(create->lpszClass)) {
                const RECT& r = placement->rect;
                create->x = r.left;
                create->y = r.top;
                create->cx = r.right - r.left;
                create->cy = r.bottom - r.top;
                pending = nullptr;
                placement->Unhook();
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void Unhook() {
        if (hook)
            UnhookWindowsHookEx(hook);
        hook = nullptr;
    }

    static inline CreationPlacement* pending = nullptr;
    RECT rect;
    HHOOK hook = nullptr;
};

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
    RECT place;
    std::optional<CreationPlacement> placement;
    if (Placement(place))
        placement.emplace(place);
    INT_PTR result = DialogBoxIndirectParamA(module, dialogTemplate, owner, DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    placement.reset();
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

std::string LoadDialogString(HMODULE module, UINT id) {
    char text[DIALOG_STRING_SIZE] = {};
    if (LoadStringFrom(module, id, text) || LoadStringFrom(Module::Handle(), id, text))
        return text;
    return std::string();
}
