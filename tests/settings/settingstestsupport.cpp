#include "tests/settings/settingstestsupport.h"

#include <cstring>

namespace {

CShellRecorder* activeRecorder = nullptr;

HINSTANCE WINAPI RecordShellExecute(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show) {
    if (activeRecorder) {
        activeRecorder->calls.push_back({window, verb ? verb : "", file ? file : "",
                                         parameters != nullptr, directory != nullptr, show});
    }
    return reinterpret_cast<HINSTANCE>(33);
}

HMODULE WINAPI LoadAnythingButThemes(LPCSTR name) {
    if (name && lstrcmpiA(name, "uxtheme.dll") == 0)
        return nullptr;
    // The import slot is this very function now: the real one comes from kernel32.
    using LoadLibraryFn = HMODULE(WINAPI*)(LPCSTR);
    auto load = reinterpret_cast<LoadLibraryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    return load(name);
}

} // namespace

CShellRecorder::~CShellRecorder() {
    patch.Remove();
    if (activeRecorder == this)
        activeRecorder = nullptr;
}

bool CShellRecorder::Install(HMODULE module) {
    activeRecorder = this;
    return patch.Install(module, "shell32.dll", "ShellExecuteA",
                         reinterpret_cast<void*>(RecordShellExecute));
}

CWithoutThemes::CWithoutThemes(HMODULE module) {
    installed = patch.Install(module, "kernel32.dll", "LoadLibraryA",
                              reinterpret_cast<void*>(LoadAnythingButThemes));
}

std::unique_ptr<CCanvas> CaptureClient(HWND window) {
    UpdateWindow(window);
    return ClientPixels(window);
}

std::vector<SkinItem> ListItems(HWND combo) {
    std::vector<SkinItem> items;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[512] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back({text, SendMessageA(combo, CB_GETITEMDATA, i, 0)});
    }
    return items;
}

std::string SelectedText(HWND combo) {
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return "(none)";
    return ListItems(combo)[selected].name;
}

bool ChooseItem(HWND dialog, int comboId, const std::string& text) {
    HWND combo = GetDlgItem(dialog, comboId);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR)
        return false;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
}

bool IsChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

LPARAM KeyData(UINT virtualKey, bool extended, bool release) {
    DWORD data = 1 | (MapVirtualKeyA(virtualKey, 0) & 0xFF) << 16;
    if (extended)
        data |= 1u << 24;
    if (release)
        data |= 0xC0000000u;
    return static_cast<LPARAM>(data);
}

void SendKey(HWND window, UINT virtualKey, bool down, bool extended) {
    bool system = virtualKey == VK_MENU;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    SendMessageA(window, message, virtualKey, KeyData(virtualKey, extended, !down));
}
