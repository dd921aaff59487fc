// The buttons a skin description names, by their key words in [images] and [points],
// in the order the plug-in reads them.
#pragma once

#include <windows.h>

struct SkinButtonName {
    LONG key; // the action's flag, 64 for Cancel
    const char* name;
};

inline constexpr SkinButtonName SKIN_BUTTONS[] = {
    {2, "TurnOff"},      {1, "LogOff"},     {4, "Restart"}, {8, "StandBy"},
    {128, "SwitchUser"}, {16, "Hibernate"}, {64, "Cancel"},
};

inline const char* SkinButtonNameOf(LONG key) {
    for (const SkinButtonName& button : SKIN_BUTTONS) {
        if (button.key == key)
            return button.name;
    }
    return "";
}
