#include "plugin/poweractions.h"

#include "api/actiontable.h"
#include "base/modaldialog.h"
#include "base/module.h"
#include "base/owners.h"
#include "res/resource.h"

#include <string>

namespace {

void EnableShutdownPrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return;
    KernelHandle token(opened);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA("", "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

PowerResult Outcome(BOOL succeeded) {
    PowerResult result;
    if (!succeeded) {
        result.refused = true;
        result.error = GetLastError();
    }
    return result;
}

// Not every system has it, so it is looked up rather than imported; a system without
// it does nothing, which is no refusal.
PowerResult LockTheWorkstation() {
    LibraryHandle user(LoadLibraryA("user32.dll"));
    auto lock = LibraryFunction<BOOL(WINAPI*)()>(user.Get(), "LockWorkStation");
    return lock ? Outcome(lock()) : PowerResult();
}

// The system's own words for an error, without the line break they end with.
std::string SystemErrorText(DWORD error) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    if (length == 0) {
        wsprintfA(text, "%lu", error);
        return text;
    }
    std::string message(text, length);
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

} // namespace

PowerResult PerformPowerAction(DWORD action) {
    EnableShutdownPrivilege();
    const ActionRow* row = FindAction(action);
    switch (row ? row->call : PowerCall::None) {
    case PowerCall::ExitWindows:
        return Outcome(ExitWindowsEx(row->callArgument, 0));
    case PowerCall::SystemPowerState:
        return Outcome(SetSystemPowerState(row->callArgument, FALSE));
    case PowerCall::LockWorkStation:
        return LockTheWorkstation();
    default:
        return {};
    }
}

void ReportRefusedAction(HWND owner, HMODULE strings, DWORD action, DWORD error) {
    // The button's caption names the action.
    std::string text = LoadDialogString(strings, IDS_ACTION_REFUSED);
    if (const ActionRow* row = FindAction(action))
        text += " " + LoadDialogString(strings, row->captionId);
    if (error != ERROR_SUCCESS)
        text += "\r\n\r\n" + SystemErrorText(error);
    MessageBoxA(owner, text.c_str(), PLUGIN_DISPLAY_NAME, MB_OK | MB_ICONERROR);
}
