// Windows programs read the screen's resolution when they start: a test that needs
// another one runs cases of its own program in a child started at that resolution.
#pragma once

#include <windows.h>

// The resolution the system reports to this program.
int ScreenDpi();
// Runs the cases of this program that the filter names in a child started at dpi; the
// child's exit code, or -1 when it could not be run.
int RunThisProgramAt(DWORD dpi, const char* filter);
