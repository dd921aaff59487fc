#include "exitwnd/pngbutton.h"

#include "base/guard.h"
#include "base/module.h"
#include "base/owners.h"
#include "base/windowobject.h"
#include "exitwnd/skin.h"
#include "tooltip/richtooltip.h"

namespace {

constexpr WindowObject<CPngButton> BUTTON_OBJECT("zrkpngbtn_this");
constexpr UINT_PTR HOVER_TIMER = 100;
constexpr UINT HOVER_PERIOD_MS = 50;
// The system's class of popup menus.
constexpr char MENU_CLASS[] = "#32768";

POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

void CPngButton::RegisterClassOnce() {
    HMODULE module = Module::Handle();
    WNDCLASSA existing;
    if (GetClassInfoA(module, PNGBUTTON_CLASS_NAME, &existing))
        return;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_HAND);
    windowClass.lpszClassName = PNGBUTTON_CLASS_NAME;
    windowClass.lpfnWndProc = WindowProc;
    Module::RegisterWindowClass(windowClass);
}

CPngButton::CPngButton() {
    RegisterClassOnce();
}

bool CPngButton::Create(HWND parent, CSkin* buttonSkin, LONG buttonAction) {
    action = buttonAction;
    skin = buttonSkin;
    RECT rect;
    if (!skin || !skin->GetButtonRect(action, rect))
        return true;
    // A child window's menu is its control id.
    HWND made = CreateWindowExA(
        WS_EX_TRANSPARENT, PNGBUTTON_CLASS_NAME, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left,
        rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(action)), Module::Handle(), this);
    return made != nullptr;
}

LRESULT CALLBACK CPngButton::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A window whose object it cannot keep is not made: nothing would answer for it.
    if (message == WM_NCCREATE) {
        CPngButton* button = BUTTON_OBJECT.AttachCreated(window, lParam);
        if (!button)
            return FALSE;
        button->window = window;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    CPngButton* button = BUTTON_OBJECT.Of(window);
    const auto byDefault = [&] { return DefWindowProcA(window, message, wParam, lParam); };
    if (!button)
        return byDefault();
    return Guarded(byDefault, [&]() -> LRESULT {
        // The tooltip hears of a leave only once the pointer has really gone.
        if (message == WM_MOUSELEAVE && button->LeaveIsEarly())
            return 0;
        button->Relay(message, wParam, lParam);
        return button->Handle(message, wParam, lParam);
    });
}

void CPngButton::Relay(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tooltip)
        return;
    MSG relayed = {window, message, wParam, lParam, 0, {0, 0}};
    if (message == WM_MOUSEMOVE) {
        relayed.pt = PointOf(lParam);
        ClientToScreen(window, &relayed.pt);
    }
    tooltip->RelayEvent(&relayed);
}

LRESULT CPngButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        accessible.Disconnect();
        BUTTON_OBJECT.Detach(window);
        KillTimer(window, HOVER_TIMER);
        window = nullptr;
        delete this;
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    case WM_GETOBJECT: {
        LRESULT answer = 0;
        if (accessible.Answer(window, wParam, lParam, answer))
            return answer;
        break;
    }
    case BM_CLICK:
        if (IsWindowEnabled(window))
            Click();
        return 0;
    case WM_SETFOCUS:
        ShowFocus(true);
        SetState(CSkin::STATE_HOT);
        break;
    case WM_KILLFOCUS:
        ShowFocus(false);
        SetState(CSkin::STATE_NORMAL);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            Click();
            return 0;
        }
        if (wParam == VK_SPACE)
            SetState(CSkin::STATE_PRESSED);
        else
            SendMessageA(GetParent(window), WM_KEYDOWN, wParam, lParam);
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            SetState(CSkin::STATE_HOT);
            Click();
            return 0;
        }
        SendMessageA(GetParent(window), WM_KEYUP, wParam, lParam);
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN)
            Click();
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        captured = true;
        SetState(CSkin::STATE_PRESSED);
        break;
    case WM_LBUTTONUP:
        ReleaseCapture();
        captured = false;
        if (state == CSkin::STATE_PRESSED)
            Click();
        SetState(RestState());
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The focused button keeps its focus cue whenever the pointer is not on it.
int CPngButton::RestState() const {
    return GetFocus() == window ? CSkin::STATE_HOT : CSkin::STATE_NORMAL;
}

// Every change of state repaints, even to the same state, and the window's picture learns
// it, so that the window's own paint shows the button as it is.
void CPngButton::SetState(int newState) {
    state = newState;
    if (canvas)
        canvas->SetState(action, state);
    InvalidateRect(window, nullptr, TRUE);
}

void CPngButton::ShowFocus(bool focused) {
    if (CSkinCanvas* shown = canvas ? canvas : ownCanvas.get())
        shown->SetFocused(action, focused);
}

void CPngButton::Click() {
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(action + BUTTON_COMMAND_BASE, 0),
                 reinterpret_cast<LPARAM>(window));
}

void CPngButton::OnMouseMove(LPARAM lParam) {
    POINT point = PointOf(lParam);
    RECT client;
    GetClientRect(window, &client);
    const bool inside = PtInRect(&client, point) != FALSE;
    if (inside && leaveWatch != LeaveWatch::System)
        TrackLeave();
    if (!captured) {
        if (state != CSkin::STATE_HOT)
            SetState(CSkin::STATE_HOT);
    } else if (inside && state != CSkin::STATE_PRESSED) {
        SetState(CSkin::STATE_PRESSED);
    }
}

// The system reports the leave as soon as the pointer is over another window, so that
// the next button's tooltip is not kept waiting for a poll.
void CPngButton::TrackLeave() {
    KillTimer(window, HOVER_TIMER);
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    if (TrackMouseEvent(&track))
        leaveWatch = LeaveWatch::System;
    else
        StartPolling();
}

void CPngButton::StartPolling() {
    const bool started = SetTimer(window, HOVER_TIMER, HOVER_PERIOD_MS, HoverCheck) != 0;
    leaveWatch = started ? LeaveWatch::Polling : LeaveWatch::None;
}

void CPngButton::OnMouseLeave() {
    leaveWatch = LeaveWatch::None;
    KillTimer(window, HOVER_TIMER);
    if (!captured)
        SetState(RestState());
    else if (state != CSkin::STATE_HOT)
        SetState(CSkin::STATE_HOT);
}

// Over the button's own tooltip, or a menu, inside the button's rectangle, the pointer
// still counts as on the button.
bool CPngButton::PointerStillOver(HWND window) {
    RECT rect;
    POINT cursor;
    if (!GetWindowRect(window, &rect) || !GetCursorPos(&cursor) || !PtInRect(&rect, cursor))
        return false;
    HWND under = WindowFromPoint(cursor);
    if (under == window)
        return true;
    char className[256] = {};
    if (under)
        GetClassNameA(under, className, sizeof className);
    return lstrcmpA(className, MENU_CLASS) == 0 ||
           lstrcmpA(className, CRichTooltip::CLASS_NAME) == 0;
}

// A leave onto the tooltip or a menu is watched by polling until the pointer really goes.
bool CPngButton::LeaveIsEarly() {
    if (!PointerStillOver(window))
        return false;
    StartPolling();
    return leaveWatch == LeaveWatch::Polling;
}

void CALLBACK CPngButton::HoverCheck(HWND window, UINT, UINT_PTR, DWORD) {
    Guarded(0, [&] {
        if (PointerStillOver(window))
            return;
        KillTimer(window, HOVER_TIMER);
        PostMessageA(window, WM_MOUSELEAVE, 0, 0);
    });
}

// One copy from a picture made once, so that the blended pictures never flicker.
void CPngButton::Paint() {
    PaintDC paint(window);
    if (const CSkinCanvas* source = Canvas())
        source->PaintButton(paint.Get(), action, state);
}

// The window's picture, or the button's own: the skin of the window's size beneath it,
// so that the picture's transparent pixels show the skin in every state.
const CSkinCanvas* CPngButton::Canvas() {
    if (canvas)
        return canvas;
    if (ownCanvas)
        return ownCanvas.get();
    HWND parent = GetParent(window);
    RECT parentClient;
    if (!skin || !parent || !GetClientRect(parent, &parentClient))
        return nullptr;
    ownCanvas = std::make_unique<CSkinCanvas>();
    ownCanvas->Compose(*skin, {parentClient.right, parentClient.bottom}, 0);
    ownCanvas->SetFocused(action, GetFocus() == window);
    return ownCanvas.get();
}
