#include "tests/host/screenresolution.h"

#include <string>

namespace {

constexpr char DESKTOP_KEY[] = "Control Panel\\Desktop";
constexpr char LOG_PIXELS[] = "LogPixels";
constexpr DWORD CHILD_TIMEOUT_MS = 120000;

// The user's resolution set while it lives, and put back as it was after.
class ScreenResolution {
public:
    explicit ScreenResolution(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, DESKTOP_KEY, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr);
        DWORD size = sizeof previous;
        hadValue = RegQueryValueExA(key, LOG_PIXELS, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~ScreenResolution() {
        if (hadValue)
            Set(previous);
        else
            RegDeleteValueA(key, LOG_PIXELS);
        RegCloseKey(key);
    }
    ScreenResolution(const ScreenResolution&) = delete;
    ScreenResolution& operator=(const ScreenResolution&) = delete;

private:
    void Set(DWORD dpi) {
        RegSetValueExA(key, LOG_PIXELS, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    HKEY key = nullptr;
    DWORD previous = 0;
    bool hadValue = false;
};

} // namespace

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int RunThisProgramAt(DWORD dpi, const char* filter) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" --gtest_filter=" + filter +
                          " --gtest_brief=1 --gtest_color=no";
    ScreenResolution resolution(dpi);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child))
        return -1;
    DWORD exitCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(child.hProcess, CHILD_TIMEOUT_MS) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.hProcess, &exitCode);
    else
        TerminateProcess(child.hProcess, exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return static_cast<int>(exitCode);
}
