// Turns the system's high-contrast mode on for one loaded module alone, as far as that
// module can tell: its import of SystemParametersInfoA answers the question for the mode
// with the mode on and passes every other question on. The system itself and every other
// module are left as they are, and systems that cannot switch the mode on can show it.
#pragma once

#include "host/importpatch.h"

#include <windows.h>

class CHighContrastSwitch {
public:
    // False when the module does not ask the system for its parameters.
    bool Install(HMODULE module);
    void Remove() { patch.Remove(); }

private:
    CImportPatch patch;
};
