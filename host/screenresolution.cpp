#include "host/screenresolution.h"

#include "base/owners.h"

#include <string>

namespace {

constexpr char DESKTOP_KEY[] = "Control Panel\\Desktop";
constexpr char LOG_PIXELS[] = "LogPixels";
constexpr DWORD CHILD_TIMEOUT_MS = 120000;

} // namespace

ScreenResolution::ScreenResolution(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, DESKTOP_KEY, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                    &key, nullptr);
    DWORD size = sizeof previous;
    hadValue = RegQueryValueExA(key, LOG_PIXELS, nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS;
    Set(dpi);
}

ScreenResolution::~ScreenResolution() {
    if (hadValue)
        Set(previous);
    else
        RegDeleteValueA(key, LOG_PIXELS);
    RegCloseKey(key);
}

void ScreenResolution::Set(DWORD dpi) {
    RegSetValueExA(key, LOG_PIXELS, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
}

int ScreenDpi() {
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

int RunThisProgramAt(DWORD dpi, const char* filter) {
    return RunThisProgramWith(dpi, std::string("--gtest_filter=") + filter +
                                       " --gtest_brief=1 --gtest_color=no");
}

int RunThisProgramWith(DWORD dpi, const std::string& arguments) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" " + arguments;
    ScreenResolution resolution(dpi);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    // The child writes where this program writes.
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &child))
        return -1;
    KernelHandle process(child.hProcess);
    KernelHandle thread(child.hThread);
    DWORD exitCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.Get(), CHILD_TIMEOUT_MS) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.Get(), &exitCode);
    else
        TerminateProcess(process.Get(), exitCode);
    return static_cast<int>(exitCode);
}
