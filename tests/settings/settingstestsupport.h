// What the settings tests share: a recorder for the skin library link, pictures of
// windows, and the contents of the skin list.
#pragma once

#include "base/modaldialog.h"
#include "host/importpatch.h"
#include "tests/host/canvas.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct ShellCall {
    HWND window;
    std::string verb;
    std::string file;
    bool withParameters;
    bool withDirectory;
    INT show;
};

// Sends a module's ShellExecuteA calls here instead of to the shell, so that no browser
// starts. One recorder at a time.
class CShellRecorder {
public:
    CShellRecorder() = default;
    ~CShellRecorder();
    CShellRecorder(const CShellRecorder&) = delete;
    CShellRecorder& operator=(const CShellRecorder&) = delete;

    // False when the module's calls could not be redirected: then nothing may press a
    // button that opens the library.
    bool Install(HMODULE module);

    std::vector<ShellCall> calls;

private:
    CImportPatch patch;
};

// The module loads no theme library while it lives, as on a system without one.
class CWithoutThemes {
public:
    explicit CWithoutThemes(HMODULE module);
    bool Installed() const { return installed; }

private:
    CImportPatch patch;
    bool installed;
};

// The client area of a window as it is on the screen now.
std::unique_ptr<CCanvas> CaptureClient(HWND window);

struct SkinItem {
    std::string name;
    LRESULT data;
};
std::vector<SkinItem> ListItems(HWND combo);
std::string SelectedText(HWND combo);
// Selects the item with this text as the user does, with the notification it gives.
bool ChooseItem(HWND dialog, int comboId, const std::string& text);
bool IsChecked(HWND dialog, int id);

// Key messages as the keyboard makes them, with the key's scan code.
LPARAM KeyData(UINT virtualKey, bool extended = false, bool release = false);
void SendKey(HWND window, UINT virtualKey, bool down, bool extended = false);
