#include "exitwnd/exitwindow.h"

#include "core/actionflags.h"
#include "core/gdiobjects.h"
#include "core/module.h"
#include "core/moduleresource.h"
#include "exitwnd/pngbutton.h"
#include "res/resource.h"
#include "tooltip/richtooltip.h"

namespace {

struct ButtonRow {
    LONG action;
    UINT tooltipId;
};

// Creation order, which is also the tab order and decides the first focus.
constexpr ButtonRow BUTTON_ROWS[] = {
    {ACTION_SWITCHUSER, IDS_TIP_SWITCHUSER}, {ACTION_LOGOFF, IDS_TIP_LOGOFF},
    {ACTION_STANDBY, IDS_TIP_STANDBY},       {ACTION_HIBERNATE, IDS_TIP_HIBERNATE},
    {ACTION_TURNOFF, IDS_TIP_TURNOFF},       {ACTION_RESTART, IDS_TIP_RESTART},
    {BUTTON_CANCEL, IDS_TIP_CANCEL},
};

struct LetterKey {
    WPARAM key;
    DWORD action;
};

constexpr LetterKey LETTER_KEYS[] = {
    {'T', ACTION_TURNOFF}, {'R', ACTION_RESTART},   {'L', ACTION_LOGOFF},
    {'S', ACTION_STANDBY}, {'H', ACTION_HIBERNATE}, {'W', ACTION_SWITCHUSER},
};

// Captions are painted in this order.
constexpr LONG CAPTION_ORDER[] = {ACTION_LOGOFF,  ACTION_STANDBY,    ACTION_HIBERNATE,
                                  ACTION_TURNOFF, ACTION_SWITCHUSER, ACTION_RESTART};

// One of the six actions, not Cancel, not the confirmation option, not several.
bool IsSingleAction(DWORD value) {
    return value != 0 && (value & ALL_ACTIONS) == value && (value & (value - 1)) == 0;
}

constexpr int TOOLTIP_TEXT_SIZE = 500;
constexpr int TOOLTIP_BEHAVIOUR_KEEP_WHILE_INSIDE = 4;
constexpr int TOOLTIP_DIRECTION_ABOVE_RIGHT = 1;
constexpr int TOOLTIP_DELAY_AUTOPOP = 2;
constexpr int TOOLTIP_DELAY_INITIAL = 3;
constexpr int TOOLTIP_TEXT_WIDTH = 300;
constexpr DWORD TOOLTIP_STYLES = 0x105; // anchor, rounded, shown while inactive
constexpr int ALL_TOOLS = -1;

} // namespace

CExitWindow::CExitWindow() : CModalDialog(IDD_EXITWINDOW), resourceModule(Module::Handle()) {}

CExitWindow::~CExitWindow() = default;

void CExitWindow::OnInitDialog() {
    CreateTooltip();
    SizeAndCentre();
    CreateButtons();
}

void CExitWindow::CreateTooltip() {
    tooltip = std::make_unique<CRichTooltip>(resourceModule);
    tooltip->Create(Window(), TRUE);
    tooltip->SetNotify(FALSE);
    tooltip->SetBehaviour(TOOLTIP_BEHAVIOUR_KEEP_WHILE_INSIDE, ALL_TOOLS);
    tooltip->SetDirection(TOOLTIP_DIRECTION_ABOVE_RIGHT, ALL_TOOLS);
    tooltip->SetDelayTime(TOOLTIP_DELAY_INITIAL, 500);
    tooltip->SetDelayTime(TOOLTIP_DELAY_AUTOPOP, 10000);
    tooltip->Renderer().maxTextWidth = TOOLTIP_TEXT_WIDTH;
    tooltip->SetStyles(TOOLTIP_STYLES, ALL_TOOLS);
}

void CExitWindow::SizeAndCentre() {
    SIZE size = {};
    {
        WindowDC dc(Window());
        skin.Layout(dc.Get(), resourceModule, actions, size);
    }
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    const int x = desktop.left + (desktop.right - desktop.left) / 2 - size.cx / 2;
    const int y = desktop.top + (desktop.bottom - desktop.top) / 2 - size.cy / 2;
    SetWindowPos(Window(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER);
}

void CExitWindow::CreateButtons() {
    for (const ButtonRow& row : BUTTON_ROWS) {
        auto* button = new CPngButton();
        if (!button->Create(Window(), &skin, row.action) || !button->Window()) {
            delete button;
            continue;
        }
        button->SetTooltip(tooltip.get());
        char text[TOOLTIP_TEXT_SIZE] = {};
        LoadModuleString(resourceModule, row.tooltipId, text, TOOLTIP_TEXT_SIZE);
        tooltip->AddTool(button->Window(), text, nullptr, nullptr, 0);
    }
}

void CExitWindow::OnPaint() {
    PaintDC paint(Window());
    RECT client;
    GetClientRect(Window(), &client);
    skin.DrawBackground(paint.Get(), client);
    for (LONG key : CAPTION_ORDER) {
        if (actions & key)
            skin.DrawCaption(paint.Get(), key);
    }
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
    if (id > BUTTON_COMMAND_BASE && IsSingleAction(chosen)) {
        actions = chosen;
        EndDialog(Window(), IDOK);
    }
}

LRESULT CExitWindow::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (message != WM_KEYDOWN)
        return 0;
    for (const LetterKey& letter : LETTER_KEYS) {
        if (wParam == letter.key) {
            actions = letter.action;
            EndDialog(Window(), IDOK);
            break;
        }
    }
    return 0;
}

// Enter acts on the button that has the focus.
BOOL CExitWindow::OnOK() {
    HWND focus = GetFocus();
    const LONG id = focus && IsChild(Window(), focus) ? GetWindowLongA(focus, GWL_ID) : 0;
    actions = 0;
    if (id == BUTTON_CANCEL) {
        EndDialog(Window(), IDCANCEL);
        return FALSE;
    }
    if (IsSingleAction(static_cast<DWORD>(id)))
        actions = static_cast<DWORD>(id);
    return TRUE;
}
