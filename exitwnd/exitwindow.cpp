#include "exitwnd/exitwindow.h"

#include "api/actiontable.h"
#include "base/module.h"
#include "base/moduleresource.h"
#include "base/owners.h"
#include "exitwnd/pngbutton.h"
#include "exitwnd/screenarea.h"
#include "res/resource.h"
#include "tooltip/richtooltip.h"

namespace {

// One of the six actions, not Cancel, not the confirmation option, not several.
bool IsSingleAction(DWORD value) {
    return FindAction(value) != nullptr;
}

constexpr int TOOLTIP_TEXT_SIZE = 500;
constexpr UINT TOOLTIP_INITIAL_DELAY_MS = 500;
constexpr UINT TOOLTIP_AUTOPOP_DELAY_MS = 10000;
constexpr int TOOLTIP_TEXT_WIDTH = 300;

} // namespace

CExitWindow::CExitWindow() : CModalDialog(IDD_EXITWINDOW), resourceModule(Module::Handle()) {}

CExitWindow::~CExitWindow() = default;

void CExitWindow::UseLayout(const CSkinCache::Window& laidOut, const RECT& area) {
    skin = laidOut.skin;
    size = laidOut.size;
    workArea = area;
    canvas = laidOut.canvas;
    for (LONG key : CSkin::BUTTON_ORDER) {
        if (availability.Unavailable() & static_cast<DWORD>(key))
            canvas.SetUnavailable(key);
    }
    // The first button takes the focus as soon as it exists: the window shows it so.
    for (LONG key : CSkin::BUTTON_ORDER) {
        RECT rect;
        if (CanChoose(key) && skin.GetButtonRect(key, rect)) {
            canvas.SetState(key, CSkin::STATE_HOT);
            canvas.SetFocused(key, true);
            break;
        }
    }
}

void CExitWindow::OnInitDialog() {
    SetTitle();
    CreateTooltip();
    SizeAndCentre();
}

// The window has no title bar: the title is for screen readers and the task list.
void CExitWindow::SetTitle() {
    const std::wstring title = LoadDialogString(resourceModule, IDS_EXITWINDOW_TITLE);
    SetWindowTextW(Window(), title.c_str());
    accessible.SetFacts({ROLE_SYSTEM_DIALOG, title, L"", L""});
}

// Its window is made when the pointer first rests on a button.
void CExitWindow::CreateTooltip() {
    tooltip = std::make_unique<CRichTooltip>(resourceModule);
    tooltip->CreateWhenNeeded(Window(), true);
    tooltip->SetNotify(false);
    tooltip->SetBehaviour(KeepWhileInside, CRichTooltip::ALL_TOOLS);
    tooltip->SetDirection(AboveRight, CRichTooltip::ALL_TOOLS);
    tooltip->SetDelayTime(TTDT_INITIAL, TOOLTIP_INITIAL_DELAY_MS);
    tooltip->SetDelayTime(TTDT_AUTOPOP, TOOLTIP_AUTOPOP_DELAY_MS);
    // The text wraps where it does at 96 DPI, as everything else grows with the resolution.
    tooltip->Renderer().maxTextWidth =
        MulDiv(TOOLTIP_TEXT_WIDTH, CScreenArea::DpiOf(Window()), SkinFit::BASE_DPI);
    // No shadow. A greyed button still says why.
    tooltip->SetStyles(TipAnchor | TipRounded | ShowInactive | TrackDisabled,
                       CRichTooltip::ALL_TOOLS);
}

// Moved while it is hidden and not yet active, so that it is activated once, when shown.
void CExitWindow::SizeAndCentre() {
    const POINT corner = CScreenArea::CentreIn(workArea, size);
    SetWindowPos(Window(), nullptr, corner.x, corner.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The buttons come once the window is whole on the screen: their own paints change no
// pixel, and the window already answers letter keys and Escape without them.
void CExitWindow::CreateButtons() {
    HWND first = nullptr;
    bool missing = false;
    // Creation order is the tab order, and decides the first focus.
    for (LONG key : CSkin::BUTTON_ORDER) {
        auto* button = new CPngButton();
        const bool made = button->Create(Window(), &skin, key);
        if (!made || !button->Window()) {
            delete button;
            // A button that could not be made shows no focus in the window's picture.
            missing = missing || !made;
            canvas.SetState(key, CSkin::STATE_NORMAL);
            canvas.SetFocused(key, false);
            continue;
        }
        const UINT reasonId = availability.ReasonId(key);
        // A disabled window takes no focus and reads as unavailable to screen readers.
        if (reasonId)
            EnableWindow(button->Window(), FALSE);
        else if (!first)
            first = button->Window();
        button->SetCanvas(&canvas);
        button->SetTooltip(tooltip.get());
        // A language module older than the reasons leaves them to the plug-in's own texts.
        const std::wstring text =
            reasonId
                ? LoadDialogString(resourceModule, reasonId)
                : LoadModuleText(resourceModule, FindButton(key)->tooltipId, TOOLTIP_TEXT_SIZE - 1);
        tooltip->AddTool(button->Window(), text.c_str(), nullptr, nullptr, 0);
        button->SetAccessibleFacts(ButtonFacts(resourceModule, key, text));
    }
    if (first)
        SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    if (missing)
        InvalidateRect(Window(), nullptr, FALSE);
}

void CExitWindow::OnPaint() {
    {
        PaintDC paint(Window());
        canvas.PaintWindow(paint.Get());
    }
    if (buttonsMade)
        return;
    ShowWhatWasPainted();
    MakeButtons();
}

// Keys typed before the first paint (a hot key and Enter at once) need the buttons that
// a moment later would have taken them.
void CExitWindow::MakeButtons() {
    if (buttonsMade)
        return;
    buttonsMade = true;
    CreateButtons();
}

// Identifiers that are no button's (another program may post anything) change nothing:
// the enabled actions also decide which captions are painted. Only clicks choose, not
// the notifications of a control that a language module's template puts here.
void CExitWindow::OnCommand(WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED)
        return;
    const int id = LOWORD(wParam);
    if (id == BUTTON_COMMAND_BASE + BUTTON_CANCEL) {
        actions = 0;
        EndDialog(Window(), IDCANCEL);
        return;
    }
    const DWORD chosen = static_cast<DWORD>(id - BUTTON_COMMAND_BASE);
    if (id > BUTTON_COMMAND_BASE && IsSingleAction(chosen) && CanChoose(chosen)) {
        actions = chosen;
        EndDialog(Window(), IDOK);
    }
}

LRESULT CExitWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (message == WM_GETOBJECT)
        return AnswerGetObject(wParam, lParam, handled);
    if (message == WM_ERASEBKGND) {
        // The paint covers the whole window: nothing is erased, so nothing unfinished shows.
        handled = true;
        SetWindowLongPtrA(Window(), DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message == WM_DESTROY)
        accessible.Disconnect();
    if (message == WM_MOUSEMOVE)
        RelayToTooltip(message, wParam, lParam);
    if (message == WM_KEYDOWN || message == WM_KEYUP)
        return OnKey(message, wParam, lParam, handled);
    return 0;
}

LRESULT CExitWindow::OnKey(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    // Only a key typed before the buttons existed reaches the window itself: the space
    // bar goes on to the button that now has the focus.
    if (wParam == VK_SPACE) {
        MakeButtons();
        HWND focus = GetFocus();
        if (focus && IsChild(Window(), focus)) {
            SendMessageW(focus, message, wParam, lParam);
            handled = true;
        }
        return 0;
    }
    if (message != WM_KEYDOWN)
        return 0;
    for (const ActionRow& action : ACTIONS) {
        if (wParam == static_cast<WPARAM>(action.letter)) {
            if (CanChoose(action.bit)) {
                actions = action.bit;
                EndDialog(Window(), IDOK);
            }
            break;
        }
    }
    return 0;
}

bool CExitWindow::CanChoose(DWORD action) const {
    return !(availability.Impossible() & action);
}

// The pointer over a greyed button moves over the window itself: the button's tooltip
// learns of it from here, and of the move that leaves it. Other moves over the window
// are no tool's, and would only make the tooltip take the pointer's place for its own.
void CExitWindow::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT client = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    HWND child = ChildWindowFromPointEx(Window(), client, CWP_SKIPINVISIBLE);
    const bool overGreyed = child && child != Window() && !IsWindowEnabled(child);
    const bool relay = tooltip && (overGreyed || pointerOnGreyed);
    pointerOnGreyed = overGreyed;
    if (!relay)
        return;
    MSG relayed = {Window(), message, wParam, lParam, 0, client};
    ClientToScreen(Window(), &relayed.pt);
    tooltip->RelayEvent(&relayed);
}

// A dialog procedure hands its answer over in the window's message result.
LRESULT CExitWindow::AnswerGetObject(WPARAM wParam, LPARAM lParam, bool& handled) {
    LRESULT answer = 0;
    handled = accessible.Answer(Window(), wParam, lParam, answer);
    if (handled)
        SetWindowLongPtrA(Window(), DWLP_MSGRESULT, answer);
    return handled;
}

// Enter acts on the button that has the focus.
bool CExitWindow::OnOK() {
    MakeButtons();
    HWND focus = GetFocus();
    const LONG id = focus && IsChild(Window(), focus) ? GetWindowLongA(focus, GWL_ID) : 0;
    actions = 0;
    if (id == BUTTON_CANCEL) {
        EndDialog(Window(), IDCANCEL);
        return false;
    }
    if (IsSingleAction(static_cast<DWORD>(id)) && CanChoose(static_cast<DWORD>(id)))
        actions = static_cast<DWORD>(id);
    return true;
}
