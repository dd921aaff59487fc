// Windows programs read the screen's resolution when they start: a test that needs
// another one runs cases of its own program in a child started at that resolution.
#pragma once

#include <windows.h>

#include <string>

// The user's resolution set while it lives, and put back as it was after: programs
// started meanwhile read it.
class ScreenResolution {
public:
    explicit ScreenResolution(DWORD dpi);
    ~ScreenResolution();
    ScreenResolution(const ScreenResolution&) = delete;
    ScreenResolution& operator=(const ScreenResolution&) = delete;

private:
    void Set(DWORD dpi);
    HKEY key = nullptr;
    DWORD previous = 0;
    bool hadValue = false;
};

// The resolution the system reports to this program.
int ScreenDpi();
// Runs the cases of this program that the filter names in a child started at dpi; the
// child's exit code, or -1 when it could not be run.
int RunThisProgramAt(DWORD dpi, const char* filter);
// The same with any arguments.
int RunThisProgramWith(DWORD dpi, const std::string& arguments);
