// A skin folder's description file: its name, its sections and keys, the buttons it
// may describe, and the states a button picture holds. The skin loader, the settings
// dialog, skincheck and the skin fuzzer all read the format here. Free of windows.h.
#pragma once

#include "api/actionflags.h"

#include <cstddef>

inline constexpr char SKIN_DESCRIPTION_FILE[] = "quiescorskin.ini";

inline constexpr char SKIN_SECTION_GENERAL[] = "general";
inline constexpr char SKIN_KEY_NAME[] = "Name"; // the skin's name in the settings dialog
inline constexpr char SKIN_SECTION_IMAGES[] = "images";
inline constexpr char SKIN_KEY_BACKGROUND[] = "BackGround";
// Each button's picture is under its key in [images], its top-left corner under the
// same key in [points].
inline constexpr char SKIN_SECTION_POINTS[] = "points";

// The most characters of a value that are read, without the NUL: the name, and any
// other value.
inline constexpr size_t SKIN_NAME_LIMIT = 254;
inline constexpr size_t SKIN_VALUE_LIMIT = 259;

struct SkinButtonKey {
    unsigned long key; // the action's flag, BUTTON_CANCEL for Cancel
    const char* name;
};

// In the order in which a description's buttons are read, and so their order in a
// skin's table.
inline constexpr SkinButtonKey SKIN_BUTTON_KEYS[] = {
    {ACTION_TURNOFF, "TurnOff"}, {ACTION_LOGOFF, "LogOff"},         {ACTION_RESTART, "Restart"},
    {ACTION_STANDBY, "StandBy"}, {ACTION_SWITCHUSER, "SwitchUser"}, {ACTION_HIBERNATE, "Hibernate"},
    {BUTTON_CANCEL, "Cancel"},
};

// The key that names a button in a description; empty for anything that is no button.
constexpr const char* SkinButtonKeyName(unsigned long key) {
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS) {
        if (button.key == key)
            return button.name;
    }
    return "";
}

// A button picture stacks its states from top to bottom, each a third of its height.
inline constexpr int SKIN_STATE_NORMAL = 0;
inline constexpr int SKIN_STATE_PRESSED = 1;
inline constexpr int SKIN_STATE_HOT = 2; // the pointer is over it, or it has the focus
inline constexpr int SKIN_STATE_COUNT = 3;
