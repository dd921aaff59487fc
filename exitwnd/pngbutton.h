// One button of the exit window: a child window that draws itself through the skin in
// its normal, pressed or hot state and reports clicks to its parent.
#pragma once

#include "exitwnd/accessiblewindow.h"
#include "exitwnd/skincanvas.h"

#include <windows.h>

#include <memory>

class CSkin;
class CRichTooltip;

constexpr char PNGBUTTON_CLASS_NAME[] = "ZRK_PNGBUTTON";
constexpr int BUTTON_COMMAND_BASE = 100; // a click reports 100 + the button's action

class CPngButton {
public:
    CPngButton();
    virtual ~CPngButton() = default;
    CPngButton(const CPngButton&) = delete;
    CPngButton& operator=(const CPngButton&) = delete;

    // Succeeds without a window when the skin has no place for the action. Once the
    // window exists it owns the object and deletes it when it is destroyed.
    bool Create(HWND parent, CSkin* skin, LONG action);
    void SetTooltip(CRichTooltip* newTooltip) { tooltip = newTooltip; }
    // The window's picture to paint from; without one the button composes its own on its
    // first paint.
    void SetCanvas(CSkinCanvas* windowCanvas) { canvas = windowCanvas; }
    void SetAccessibleFacts(AccessibleFacts facts) { accessible.SetFacts(std::move(facts)); }
    HWND Window() const { return window; }
    int State() const { return state; }

private:
    static void RegisterClassOnce();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK HoverCheck(HWND window, UINT, UINT_PTR, DWORD);
    static bool PointerStillOver(HWND window);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Relay(UINT message, WPARAM wParam, LPARAM lParam);
    int RestState() const;
    void SetState(int newState);
    void ShowFocus(bool focused);
    void Click();
    void OnMouseMove(LPARAM lParam);
    void TrackLeave();
    void StartPolling();
    bool LeaveIsEarly();
    void OnMouseLeave();
    void Paint();
    const CSkinCanvas* Canvas();

    LONG action = 0;
    int state = 0;
    bool captured = false;
    // How the leave of the pointer will be learnt: from the system, or by polling while
    // the pointer is over the button's tooltip.
    enum class LeaveWatch { None, System, Polling };
    LeaveWatch leaveWatch = LeaveWatch::None;
    CSkin* skin = nullptr;
    CSkinCanvas* canvas = nullptr;
    std::unique_ptr<CSkinCanvas> ownCanvas;
    CRichTooltip* tooltip = nullptr;
    HWND window = nullptr;
    CAccessibleWindow accessible;
};
