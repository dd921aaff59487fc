// Answers the dialogs that a call opens, through the dialog driver, and ends any that is
// still open a while after it appeared: a hostile template can make a dialog that no key
// closes, and the plug-in must still come back. One closer at a time.
#pragma once

#include "host/dialogdriver.h"

#include <windows.h>

#include <functional>
#include <map>

class CDialogCloser {
public:
    explicit CDialogCloser(std::function<void(HWND)> answer);
    ~CDialogCloser();
    CDialogCloser(const CDialogCloser&) = delete;
    CDialogCloser& operator=(const CDialogCloser&) = delete;

    // How many dialogs were handed to the answer.
    int Answered() const { return answered; }
    // How many dialogs had to be ended for want of an answer that ended them.
    int Forced() const { return forced; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void EndOverdue();

    CDialogDriver driver;
    UINT_PTR timer = 0;
    std::map<HWND, DWORD> firstSeen;
    int answered = 0;
    int forced = 0;
};
