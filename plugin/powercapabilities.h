// A field of the power capabilities that the headers for the Windows this module
// targets do not name.
#pragma once

#include <windows.h>

// AoAc of SYSTEM_POWER_CAPABILITIES (Windows 8 on): the third byte after FastSystemS4,
// which headers for older Windows call spare2[2].
inline BOOLEAN& ModernStandbyFlag(SYSTEM_POWER_CAPABILITIES& capabilities) {
    return capabilities.spare2[2];
}
