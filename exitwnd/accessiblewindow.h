// What screen readers learn of the exit window and its buttons: the system's standard
// accessible object of a window's client, wrapped to give the role, name and texts
// that only the window knows.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleacc.h>

#include <string>
#include <string_view>

class CClientAccessible;

struct AccessibleFacts {
    // A push button also gets the button's states and the default action "Press".
    LONG role = 0;
    std::wstring name;
    std::wstring description;
    std::wstring shortcut;
};

// The facts of the button for an action (64 for Cancel): its name from the resource
// module's texts, its description from its tooltip's markup.
AccessibleFacts ButtonFacts(HMODULE resourceModule, LONG action, std::wstring_view tipMarkup);

// Answers WM_GETOBJECT for one window. The object is made on the first request and may
// outlive the window, since a screen reader may hold it; from Disconnect on it answers
// as disconnected. The window's owner keeps one of these and disconnects it when the
// window is destroyed.
class CAccessibleWindow {
public:
    CAccessibleWindow() = default;
    ~CAccessibleWindow();
    CAccessibleWindow(const CAccessibleWindow&) = delete;
    CAccessibleWindow& operator=(const CAccessibleWindow&) = delete;

    void SetFacts(AccessibleFacts newFacts) { facts = std::move(newFacts); }
    // True when the request was for the client; result is then the message's answer.
    bool Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Disconnect();

private:
    AccessibleFacts facts;
    CClientAccessible* object = nullptr;
    bool closed = false; // no new object for a window being destroyed
};
