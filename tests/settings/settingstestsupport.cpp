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

template <typename T> T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

void** ImportSlot(HMODULE module, const char* dll, const char* function) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    auto* nt = At<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return nullptr;
    for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(At<char>(module, entry->Name), dll) != 0 || !entry->OriginalFirstThunk)
            continue;
        auto* names = At<IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return *slot == value;
}

} // namespace

bool CImportPatch::Install(HMODULE module, const char* dll, const char* function,
                           void* replacement) {
    Remove();
    void** found = ImportSlot(module, dll, function);
    if (!found)
        return false;
    void* previous = *found;
    if (!WriteSlot(found, replacement))
        return false;
    slot = found;
    original = previous;
    return true;
}

void CImportPatch::Remove() {
    if (slot)
        WriteSlot(slot, original);
    slot = nullptr;
}

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
    RECT client;
    GetClientRect(window, &client);
    auto canvas = std::make_unique<CCanvas>(client.right, client.bottom);
    WindowDC source(window);
    BitBlt(canvas->Dc(), 0, 0, client.right, client.bottom, source.Get(), 0, 0, SRCCOPY);
    return canvas;
}

RECT ItemRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
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
