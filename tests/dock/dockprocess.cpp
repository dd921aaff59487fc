#include "tests/dock/dockprocess.h"

#include "dock/dockbar.h"
#include "tests/host/builtplugin.h"

#include <fstream>
#include <iterator>

namespace {

struct BarSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBar(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<BarSearch*>(context);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || lstrcmpA(className, CDockBar::CLASS_NAME) != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

DockProcess::DockProcess(const ScratchFolder& folder, bool withPlugin)
    : exePath(folder.File("dock.exe")), outputPath(folder.File("dock-output.txt")) {
    CopyFileA(QUIESCOR_DOCK_PATH, exePath.c_str(), FALSE);
    if (withPlugin)
        CopyFileA(BuiltPluginPath().c_str(), folder.File("quiescor.dll").c_str(), FALSE);
}

DockProcess::~DockProcess() {
    Close();
}

void DockProcess::Close() {
    if (!process.hProcess)
        return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
}

bool DockProcess::Start(const std::string& arguments) {
    Close();
    std::string commandLine = "\"" + exePath + "\" " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (output != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    const bool started = CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process) != FALSE;
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    return started;
}

std::string DockProcess::Output() const {
    std::ifstream file(outputPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int DockProcess::Wait(DWORD milliseconds) {
    if (WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

HWND DockProcess::WaitForBar(DWORD milliseconds) const {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        BarSearch search = {process.dwProcessId, nullptr};
        EnumWindows(FindBar, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}
