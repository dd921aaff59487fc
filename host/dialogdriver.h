// Drives the modal dialogs a call opens from inside their own message loop: a thread
// timer finds each new dialog of this thread and hands it to the caller's answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CDialogDriver {
public:
    // answer gets each dialog once, when it is visible; it should end it.
    explicit CDialogDriver(std::function<void(HWND)> answer);
    ~CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;

    int DialogsSeen() const { return static_cast<int>(seen.size()); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Poll();

    std::function<void(HWND)> answer;
    std::vector<HWND> seen;
    UINT_PTR timer = 0;
    DWORD started = 0;
    bool answering = false;
};

// The dialog boxes of this thread: the visible ones, or all.
std::vector<HWND> ThreadDialogs(bool hiddenToo);
// Text of a window or of one of its items, as UTF-8 whatever its script.
std::string Utf8(std::wstring_view text);
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
// The user's answers.
void ClickButton(HWND dialog, int id);
void PressEscape(HWND dialog);
void PressCloseBox(HWND dialog);
