// What each action can do at this moment: offered, offered but impossible (with the
// reason the user reads), or removed by the administrator's policy.
#pragma once

#include "api/actiontable.h"

#include <windows.h>

#include <array>

class CActionAvailability {
public:
    // Policy takes precedence: a removed action is never also unavailable.
    void Remove(DWORD action, UINT reasonId) { Mark(removed, action, reasonId); }
    void MakeUnavailable(DWORD action, UINT reasonId) {
        if (!(removed & action))
            Mark(unavailable, action, reasonId);
    }
    DWORD Removed() const { return removed; }
    DWORD Unavailable() const { return unavailable; }
    DWORD Impossible() const { return removed | unavailable; }
    // The string id that says why the action cannot be done; 0 when it can.
    UINT ReasonId(DWORD action) const {
        const int row = RowOf(action);
        return row >= 0 ? reasons[row] : 0;
    }

    // Stand by only turns the screen off: a computer with Modern Standby sleeps that way.
    bool sleepsByScreenOff = false;
    // Turn off prepares the next start as the Start menu does with Fast Startup on.
    bool hybridShutdown = false;

private:
    static int RowOf(DWORD action) {
        for (int row = 0; row < ACTION_COUNT; ++row) {
            if (ACTIONS[row].bit == action)
                return row;
        }
        return -1;
    }
    void Mark(DWORD& set, DWORD action, UINT reasonId) {
        const int row = RowOf(action);
        if (row < 0 || (Impossible() & action))
            return;
        set |= action;
        reasons[row] = reasonId;
    }

    DWORD removed = 0;
    DWORD unavailable = 0;
    std::array<UINT, ACTION_COUNT> reasons = {};
};
