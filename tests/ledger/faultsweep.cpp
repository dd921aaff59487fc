#include "tests/ledger/faultsweep.h"

#include "base/owners.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr char CYCLE_VARIABLE[] = "QUIESCOR_FAULT_CYCLE";
constexpr char FUNCTION_VARIABLE[] = "QUIESCOR_FAULT_FUNCTION";
constexpr char CALL_VARIABLE[] = "QUIESCOR_FAULT_CALL";
constexpr char REPORT_VARIABLE[] = "QUIESCOR_FAULT_REPORT";
constexpr unsigned EVERY_CALL_UP_TO = 4;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReportPath() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "quiescor-fault-" + std::to_string(GetCurrentProcessId()) + ".txt";
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The child's report: "done" ends a child that ran to the end; the rest says what it saw.
void ReadReport(const std::string& path, FaultOutcome& outcome) {
    std::ifstream file(path);
    bool done = false;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "done") {
            done = true;
        } else if (word == "fired") {
            outcome.fired = true;
        } else if (word == "at") {
            std::getline(words >> std::ws, outcome.site);
        } else if (word == "calls") {
            FunctionCalls calls{};
            words >> calls.function >> calls.calls;
            outcome.calls.push_back(calls);
        } else if (word == "leak" || word == "failed") {
            outcome.leaked = outcome.leaked || word == "leak";
            outcome.recovered = outcome.recovered && word != "failed";
            if (outcome.detail.size() < 400)
                outcome.detail += line + "\n";
        }
    }
    outcome.crashed = !done || outcome.exitCode != 0;
}

std::string Describe(const FaultCase& order, const FaultOutcome& outcome) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(outcome.exitCode));
    std::string text = order.function + " call " + std::to_string(order.call);
    if (!outcome.site.empty())
        text += " at " + outcome.site;
    text += ": ";
    if (outcome.hung)
        return text + "hung";
    if (outcome.crashed)
        return text + "ended with " + code;
    return text + outcome.detail.substr(0, outcome.detail.find_last_not_of('\n') + 1);
}

} // namespace

bool ChildCase(FaultCase& order) {
    order.cycle = Variable(CYCLE_VARIABLE);
    order.function = Variable(FUNCTION_VARIABLE);
    order.call = static_cast<unsigned>(std::atoi(Variable(CALL_VARIABLE).c_str()));
    return !order.cycle.empty() && !Variable(REPORT_VARIABLE).empty();
}

void ReportToParent(std::string line) {
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::ofstream file(Variable(REPORT_VARIABLE), std::ios::app);
    file << line << "\n";
}

FaultOutcome RunChild(const std::string& testFilter, const FaultCase& order, DWORD timeoutMs) {
    FaultOutcome outcome;
    const std::string report = ReportPath();
    DeleteFileA(report.c_str());
    SetEnvironmentVariableA(CYCLE_VARIABLE, order.cycle.c_str());
    SetEnvironmentVariableA(FUNCTION_VARIABLE, order.function.c_str());
    SetEnvironmentVariableA(CALL_VARIABLE, std::to_string(order.call).c_str());
    SetEnvironmentVariableA(REPORT_VARIABLE, report.c_str());
    // An exception that leaves the plug-in must end the child as it would end a host.
    std::string command = "\"" + OwnPath() + "\" --gtest_filter=" + testFilter +
                          " --gtest_catch_exceptions=0 --gtest_color=no";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nowhere =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA(CYCLE_VARIABLE, nullptr);
    SetEnvironmentVariableA(REPORT_VARIABLE, nullptr);
    if (nowhere != INVALID_HANDLE_VALUE)
        CloseHandle(nowhere);
    if (!started) {
        outcome.crashed = true;
        outcome.exitCode = GetLastError();
        return outcome;
    }
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, ERROR_TIMEOUT);
        WaitForSingleObject(process.hProcess, INFINITE);
        outcome.hung = true;
    }
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ReadReport(report, outcome);
    if (outcome.hung)
        outcome.crashed = false;
    DeleteFileA(report.c_str());
    return outcome;
}

std::vector<unsigned> CallsToFail(unsigned calls, unsigned limit) {
    std::vector<unsigned> chosen;
    const unsigned first = std::min({calls, limit, EVERY_CALL_UP_TO});
    for (unsigned n = 1; n <= first; ++n)
        chosen.push_back(n);
    if (calls <= first || limit <= first)
        return chosen;
    const unsigned spread = std::min(limit, calls) - first;
    for (unsigned k = 1; k <= spread; ++k) {
        const unsigned n =
            first +
            static_cast<unsigned>((static_cast<unsigned long long>(calls - first) * k) / spread);
        if (n > chosen.back())
            chosen.push_back(n);
    }
    return chosen;
}

void Tally(SweepRow& row, const FaultCase& order, const FaultOutcome& outcome) {
    ++row.cases;
    row.crashes += outcome.crashed;
    row.hangs += outcome.hung;
    const bool ranToTheEnd = !outcome.crashed && !outcome.hung;
    row.leaks += ranToTheEnd && outcome.leaked;
    row.notRecovered += ranToTheEnd && !outcome.recovered;
    const bool faulty = !ranToTheEnd || outcome.leaked || !outcome.recovered;
    if (!faulty)
        return;
    // A crash says most of all; the table shows one case a row, the log each.
    if (row.example.empty() || outcome.crashed)
        row.example = Describe(order, outcome);
    std::printf("fault in %s: %s\n", order.cycle.c_str(), Describe(order, outcome).c_str());
    std::fflush(stdout);
}

std::string SweepTable(const std::vector<SweepRow>& rows) {
    std::string table;
    char line[512];
    std::snprintf(line, sizeof line, "%-26s %-36s %6s %8s %6s %6s %14s\n", "function", "cycle",
                  "cases", "crashes", "hangs", "leaks", "not recovered");
    table += line;
    SweepRow total;
    total.function = "all";
    for (const SweepRow& row : rows) {
        std::snprintf(line, sizeof line, "%-26s %-36s %6u %8u %6u %6u %14u\n", row.function.c_str(),
                      row.cycle.c_str(), row.cases, row.crashes, row.hangs, row.leaks,
                      row.notRecovered);
        table += line;
        total.cases += row.cases;
        total.crashes += row.crashes;
        total.hangs += row.hangs;
        total.leaks += row.leaks;
        total.notRecovered += row.notRecovered;
    }
    std::snprintf(line, sizeof line, "%-26s %-36s %6u %8u %6u %6u %14u\n", "all", "", total.cases,
                  total.crashes, total.hangs, total.leaks, total.notRecovered);
    table += line;
    for (const SweepRow& row : rows) {
        if (!row.example.empty())
            table += "  " + row.cycle + ": " + row.example + "\n";
    }
    return table;
}
