// Runs one of the command-line tools as a user does and keeps what it printed.
#pragma once

#include <string>

struct ToolRun {
    int exitCode = -1; // -1 when the program did not start or did not end in time
    std::string output;
};

// program: a file name in the bin folder, such as "langcheck.exe".
ToolRun RunTool(const std::string& program, const std::string& arguments);
