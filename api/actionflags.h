// The actions that end a session, as bits, plus two bits that are not actions. Free of
// windows.h, so that the skin format can name its buttons by them natively too; the
// bits are a DWORD, which is an unsigned long.
#pragma once

enum ActionFlags : unsigned long {
    ACTION_LOGOFF = 1,
    ACTION_TURNOFF = 2,
    ACTION_RESTART = 4,
    ACTION_STANDBY = 8,
    ACTION_HIBERNATE = 16,
    OPTION_CONFIRM = 32, // ask before acting when exactly one action is enabled
    BUTTON_CANCEL = 64,  // the exit window's Cancel button, never stored in the settings
    ACTION_SWITCHUSER = 128,
};

constexpr unsigned long ALL_ACTIONS = ACTION_LOGOFF | ACTION_TURNOFF | ACTION_RESTART |
                                      ACTION_STANDBY | ACTION_HIBERNATE | ACTION_SWITCHUSER;
