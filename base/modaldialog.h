// The base of every dialog the plug-in shows: the template comes from the resource
// module the host chose, or from the plug-in's own module when it lacks one.
#pragma once

#include <windows.h>

#include <string>

class CModalDialog {
public:
    explicit CModalDialog(int templateId) : templateId(templateId) {}
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // The value the dialog ended with (IDOK, IDCANCEL), or 0 without a template.
    INT_PTR DoModal(HWND owner, HMODULE module);
    HWND Window() const { return window; }

protected:
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual void OnPaint() {}
    virtual void OnCommand(WPARAM) {}
    // Nonzero lets the dialog end with IDOK.
    virtual bool OnOK() { return true; }
    virtual void OnInitDialog() {}

    HMODULE ResourceModule() const { return module; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId;
    HWND window = nullptr;
    HMODULE module = nullptr;
};

// A dialog text from the module, else from the plug-in's own module, else empty.
std::wstring LoadDialogString(HMODULE module, UINT id);

// Where a dialog's item lies, in the dialog's client coordinates.
RECT DialogItemRect(HWND dialog, int id);

// Lets the system put what this thread's windows have painted on the screen before the
// thread goes on: a wait that ends at once makes the thread idle, and the windows of an
// idle thread are shown as they are.
void ShowWhatWasPainted();

// Draws every visible control of a dialog onto a picture of its client, as each paints
// itself, in the order they paint; then they have nothing left to paint.
void PrintControls(HWND dialog, HDC picture);
