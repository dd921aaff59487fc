#include "host/dialogdriver.h"

#include "base/dialogtemplate.h"

#include <algorithm>
#include <string>

namespace {

constexpr UINT TICK_MS = 20;
// The system's class of dialog boxes.
constexpr char DIALOG_CLASS[] = "#32770";
// A dialog nobody answers is closed after this, so that its caller fails instead of hanging.
constexpr DWORD GIVE_UP_MS = 15000;

CDialogDriver* current = nullptr;

struct Search {
    bool hiddenToo = false;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, DIALOG_CLASS) == 0 && (search->hiddenToo || IsWindowVisible(window)))
        search->found.push_back(window);
    return TRUE;
}

} // namespace

CDialogDriver::CDialogDriver(std::function<void(HWND)> answer) : answer(std::move(answer)) {
    current = this;
    started = GetTickCount();
    timer = SetTimer(nullptr, 0, TICK_MS, Tick);
}

CDialogDriver::~CDialogDriver() {
    KillTimer(nullptr, timer);
    current = nullptr;
}

void CALLBACK CDialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current)
        current->Poll();
}

void CDialogDriver::Poll() {
    if (answering)
        return;
    // A closed dialog's handle may come back for a new one.
    seen.erase(std::remove_if(seen.begin(), seen.end(), [](HWND w) { return !IsWindow(w); }),
               seen.end());
    for (HWND dialog : ThreadDialogs(false)) {
        if (GetTickCount() - started > GIVE_UP_MS) {
            EndDialog(dialog, 0);
            continue;
        }
        if (std::find(seen.begin(), seen.end(), dialog) != seen.end())
            continue;
        seen.push_back(dialog);
        answering = true;
        answer(dialog);
        answering = false;
    }
}

std::vector<HWND> ThreadDialogs(bool hiddenToo) {
    Search search;
    search.hiddenToo = hiddenToo;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Utf8(std::wstring_view text) {
    return Utf8(std::u16string(text.begin(), text.end()));
}

std::string WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return Utf8(text);
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

void ClickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressEscape(HWND dialog) {
    HWND focus = GetFocus();
    HWND target = focus && IsChild(dialog, focus) ? focus : dialog;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

void PressCloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}
