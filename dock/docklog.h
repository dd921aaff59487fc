// Diagnostics of the dock: to the standard error (the terminal under Wine) and to the
// debugger.
#pragma once

void DockLog(const char* format, ...);
