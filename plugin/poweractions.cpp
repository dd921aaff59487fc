#include "plugin/poweractions.h"

#include "api/actionavailability.h"
#include "api/actiontable.h"
#include "base/modaldialog.h"
#include "base/module.h"
#include "base/owners.h"
#include "res/resource.h"

#include <string>

namespace {

// "System Shutdown Reason Codes": 0 would be logged as an unplanned shut-down, which may
// make Windows collect the system's state first and so delay it.
constexpr DWORD PLANNED_REASON =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
// WM_SYSCOMMAND's SC_MONITORPOWER: 2 shuts the display off.
constexpr LPARAM DISPLAY_OFF = 2;

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
std::wstring SystemErrorText(DWORD error) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, ARRAYSIZE(text), nullptr);
    if (length == 0) {
        wsprintfW(text, L"%lu", error);
        return text;
    }
    std::wstring message(text, length);
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

// InitiateShutdown's flags (Windows Vista on), which the headers for older Windows lack.
constexpr DWORD SHUTDOWN_FORCE_OTHERS_FLAG = 0x1;
constexpr DWORD SHUTDOWN_RESTART_FLAG = 0x4;
constexpr DWORD SHUTDOWN_POWEROFF_FLAG = 0x8;
constexpr DWORD SHUTDOWN_HYBRID_FLAG = 0x200;
using InitiateShutdownFunction = DWORD(WINAPI*)(LPWSTR, LPWSTR, DWORD, DWORD, DWORD);

bool Hybrid(const ActionRow& row, const PowerRequest& request) {
    return row.bit == ACTION_TURNOFF && request.hybridShutdown;
}

PowerResult AskExitWindows(const ActionRow& row, const PowerRequest& request, UINT extraFlags) {
    const UINT flags = row.callArgument | (Hybrid(row, request) ? EWX_HYBRID_SHUTDOWN : 0);
    return Outcome(ExitWindowsEx(flags | extraFlags, PLANNED_REASON));
}

// The user agreed to end the other users' sessions. EWX_FORCE does nothing where Terminal
// Services run, as they do for Fast User Switching; InitiateShutdown's
// SHUTDOWN_FORCE_OTHERS logs the other sessions off. Before Windows Vista it is missing,
// and EWX_FORCE is the way.
PowerResult EndOtherSessionsToo(const ActionRow& row, const PowerRequest& request) {
    LibraryHandle advapi(LoadLibraryA("advapi32.dll"));
    auto initiate = LibraryFunction<InitiateShutdownFunction>(advapi.Get(), "InitiateShutdownW");
    if (!initiate)
        return AskExitWindows(row, request, EWX_FORCE);
    DWORD flags = SHUTDOWN_FORCE_OTHERS_FLAG |
                  (row.bit == ACTION_RESTART ? SHUTDOWN_RESTART_FLAG : SHUTDOWN_POWEROFF_FLAG);
    if (Hybrid(row, request))
        flags |= SHUTDOWN_HYBRID_FLAG;
    const DWORD error = initiate(nullptr, nullptr, 0, flags, PLANNED_REASON);
    PowerResult result;
    if (error != ERROR_SUCCESS) {
        result.refused = true;
        result.error = error;
    }
    return result;
}

void Tell(HWND owner, const std::wstring& text, UINT icon) {
    MessageBoxW(owner, text.c_str(), PLUGIN_TITLE, MB_OK | icon);
}

} // namespace

// AdjustTokenPrivileges succeeds without enabling what the token lacks, and says so with
// ERROR_NOT_ALL_ASSIGNED ("Changing Privileges in a Token", SE_SHUTDOWN_NAME).
bool EnableShutdownPrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return true;
    KernelHandle token(opened);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    if (!LookupPrivilegeValueA("", SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return true;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(ERROR_SUCCESS);
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr))
        return true;
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

PowerRequest RequestFor(DWORD action, const CActionAvailability& now) {
    PowerRequest request;
    request.action = action;
    request.sleepsByScreenOff = now.sleepsByScreenOff;
    request.hybridShutdown = now.hybridShutdown;
    return request;
}

PowerResult PerformPowerAction(const PowerRequest& request) {
    EnableShutdownPrivilege();
    const ActionRow* row = FindAction(request.action);
    if (row && row->bit == ACTION_STANDBY && request.sleepsByScreenOff) {
        SendNotifyMessageA(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, DISPLAY_OFF);
        return {};
    }
    switch (row ? row->call : PowerCall::None) {
    case PowerCall::ExitWindows:
        return request.forceOtherSessions ? EndOtherSessionsToo(*row, request)
                                          : AskExitWindows(*row, request, 0);
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
    std::wstring text = LoadDialogString(strings, IDS_ACTION_REFUSED);
    if (const ActionRow* row = FindAction(action))
        text += L" " + LoadDialogString(strings, row->captionId);
    if (error != ERROR_SUCCESS)
        text += L"\r\n\r\n" + SystemErrorText(error);
    Tell(owner, text, MB_ICONERROR);
}

void ReportImpossibleAction(HWND owner, HMODULE strings, DWORD action,
                            const CActionAvailability& now) {
    std::wstring text;
    if (const ActionRow* row = FindAction(action))
        text = LoadDialogString(strings, row->captionId) + L": ";
    text += LoadDialogString(strings, now.ReasonId(action));
    Tell(owner, text, MB_ICONINFORMATION);
}

void ReportNothingPossible(HWND owner, HMODULE strings) {
    Tell(owner, LoadDialogString(strings, IDS_NOTHING_POSSIBLE), MB_ICONINFORMATION);
}

bool AskToEndOtherSessions(HWND owner, HMODULE strings, DWORD action) {
    const UINT question = action == ACTION_RESTART ? IDS_OTHERS_RESTART : IDS_OTHERS_TURNOFF;
    const std::wstring text = LoadDialogString(strings, question);
    return MessageBoxW(owner, text.c_str(), PLUGIN_TITLE,
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}
