// What each action is, one row each: its bit, the key that chooses it, its texts, its box
// in the settings dialog, its picture in the built-in skin and the call that performs it. Every
// other place reads it here; where uses need the actions in different orders, they keep short lists
// of bits.
#pragma once

#include "api/actionflags.h"
#include "res/resource.h"

#include <windows.h>

#include <iterator>

// How Windows is asked to end the session.
enum class PowerCall { None, ExitWindows, SystemPowerState, LockWorkStation };

struct ActionRow {
    DWORD bit;
    char letter;     // chooses it in the exit window; 0 for none
    UINT questionId; // what the confirmation dialog asks
    UINT captionId;  // names its button: under it in the built-in skin, to screen
                     // readers, and when Windows refuses the action
    UINT tooltipId;  // its button's tooltip, in the tooltip markup
    int checkBoxId;  // its box in the settings dialog
    int stripColumn; // its picture's column in the built-in skin's strip
    PowerCall call;
    UINT callArgument; // the EWX_ flags; TRUE to stand by and FALSE to hibernate
};

// In the order of their bits.
inline constexpr ActionRow ACTIONS[] = {
    {ACTION_LOGOFF, 'L', IDS_ASK_LOGOFF, IDS_CAPTION_LOGOFF, IDS_TIP_LOGOFF, IDC_CHECK_LOGOFF, 0,
     PowerCall::ExitWindows, EWX_LOGOFF},
    {ACTION_TURNOFF, 'T', IDS_ASK_TURNOFF, IDS_CAPTION_TURNOFF, IDS_TIP_TURNOFF, IDC_CHECK_TURNOFF,
     3, PowerCall::ExitWindows, EWX_SHUTDOWN | EWX_POWEROFF},
    {ACTION_RESTART, 'R', IDS_ASK_RESTART, IDS_CAPTION_RESTART, IDS_TIP_RESTART, IDC_CHECK_RESTART,
     4, PowerCall::ExitWindows, EWX_REBOOT},
    {ACTION_STANDBY, 'S', IDS_ASK_STANDBY, IDS_CAPTION_STANDBY, IDS_TIP_STANDBY, IDC_CHECK_STANDBY,
     1, PowerCall::SystemPowerState, TRUE},
    {ACTION_HIBERNATE, 'H', IDS_ASK_HIBERNATE, IDS_CAPTION_HIBERNATE, IDS_TIP_HIBERNATE,
     IDC_CHECK_HIBERNATE, 2, PowerCall::SystemPowerState, FALSE},
    {ACTION_SWITCHUSER, 'W', IDS_ASK_SWITCHUSER, IDS_CAPTION_SWITCHUSER, IDS_TIP_SWITCHUSER,
     IDC_CHECK_SWITCHUSER, 5, PowerCall::LockWorkStation, 0},
};
inline constexpr int ACTION_COUNT = static_cast<int>(std::size(ACTIONS));

// The exit window's Cancel button: a button of the skin with a tooltip, and no action.
inline constexpr ActionRow CANCEL_BUTTON = {
    BUTTON_CANCEL, 0, 0, IDS_CAPTION_CANCEL, IDS_TIP_CANCEL, 0, -1, PowerCall::None, 0};

// The row of one action value; null for anything else, Cancel and several bits included.
constexpr const ActionRow* FindAction(DWORD value) {
    for (const ActionRow& row : ACTIONS) {
        if (row.bit == value)
            return &row;
    }
    return nullptr;
}

// The row of a button of the exit window: one of the actions, or Cancel.
constexpr const ActionRow* FindButton(DWORD key) {
    return key == CANCEL_BUTTON.bit ? &CANCEL_BUTTON : FindAction(key);
}
