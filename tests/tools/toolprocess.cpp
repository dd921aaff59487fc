#include "tests/tools/toolprocess.h"

#include <windows.h>

#include <fstream>
#include <iterator>

ToolRun RunTool(const std::string& program, const std::string& arguments) {
    ToolRun run;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    char outputPath[MAX_PATH] = {};
    GetTempFileNameA(folder, "qtl", 0, outputPath);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string commandLine = "\"" QUIESCOR_BIN_FOLDER "\\" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    if (output != INVALID_HANDLE_VALUE &&
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        DWORD code = 0;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &code))
            run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    std::ifstream file(outputPath, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    file.close();
    DeleteFileA(outputPath);
    return run;
}
