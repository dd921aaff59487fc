// A copy of the dock and the plug-in in a folder of their own, started as a separate
// process the way a user starts it.
#pragma once

#include "tests/host/scratchfolder.h"

#include <windows.h>

#include <string>

class DockProcess {
public:
    // Copies dock.exe and, unless told otherwise, quiescor.dll into the folder.
    explicit DockProcess(const ScratchFolder& folder, bool withPlugin = true);
    DockProcess(const DockProcess&) = delete;
    DockProcess& operator=(const DockProcess&) = delete;
    ~DockProcess();

    bool Start(const std::string& arguments = "");
    // The exit code, or -1 when the dock does not end in time.
    int Wait(DWORD milliseconds = 60000);
    // The dock's bar window once it shows, or null when it does not come in time.
    HWND WaitForBar(DWORD milliseconds = 60000) const;

    // Starts, waits and gives the exit code.
    int Run(const std::string& arguments) { return Start(arguments) ? Wait() : -1; }
    // What the last run printed on its standard output and error.
    std::string Output() const;

private:
    void Close();

    std::string exePath;
    std::string outputPath;
    PROCESS_INFORMATION process = {};
};
