// Each call the plug-in makes to get memory, a handle or a resource, refused in turn
// within a user cycle: the host must live, nothing may be left once the object is
// released, and the next cycle must work as if nothing had happened. Every case runs in
// a child process of this program, so that a crash or a hang ends only the child.
#include "api/hostapi.h"
#include "tests/ledger/faultinjector.h"
#include "tests/ledger/faultsweep.h"
#include "tests/ledger/injectedstream.h"
#include "tests/ledger/usercyclefixture.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char CHILD_FILTER[] = "FaultCycleTest.OneCaseAsTheParentAsked";
constexpr DWORD CHILD_TIMEOUT_MS = 20000;
// The self-checks' hang must not cost the whole timeout.
constexpr DWORD SHORT_TIMEOUT_MS = 8000;
// The calls of one function in one cycle the sweep fails at most; make test fails fewer.
constexpr unsigned SWEEP_CALLS = 16;

struct NamedCycle {
    std::string name;
    std::function<void()> prepare;
    std::function<void()> run;
};

class FaultCycleTest : public UserCycleTest {
protected:
    // The case judges what the released object left; the soak's check is not its own.
    void TearDown() override {
        if (plugin)
            plugin->Release();
        plugin = nullptr;
        PluginPressTest::TearDown();
    }

    // A settings stream whose reads and writes the injector may refuse.
    void LoadThroughInjector(const std::vector<BYTE>& bytes) {
        StreamPtr stream = InjectedStreamOver(StreamWith(bytes));
        plugin->Load(stream.Get());
    }
    std::vector<BYTE> SaveThroughInjector() {
        StreamPtr stream = InjectedStreamOver(StreamWith({}));
        EXPECT_EQ(plugin->Save(stream.Get()), S_OK);
        return StreamBytes(stream.Get());
    }

    void ObjectsCycle() {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(library->GetClassObject(CLSID_ShutdownPlugin, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)),
                  S_OK);
        IHostPlugin* object = nullptr;
        EXPECT_EQ(
            factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&object)),
            S_OK);
        factory->Release();
        ASSERT_NE(object, nullptr);
        object->SetSite(&site);
        ButtonInfo info = {};
        info.mask = BIM_ICON;
        object->GetButtonInfo(&info);
        EXPECT_NE(info.icon, nullptr);
        object->Release();
        EXPECT_EQ(library->CanUnloadNow(), S_OK);
    }

    std::vector<NamedCycle> Cycles() {
        const auto nothing = [] {};
        const auto escape = [](HWND window, HWND) { PressKey(window, VK_ESCAPE); };
        return {
            {"exit window, tip, Escape", nothing, [=] { ExitWindowCycle(escape); }},
            {"exit window, tip, click on turn off", nothing,
             [&] {
                 ExitWindowCycle([](HWND, HWND hovered) { ClickOn(hovered); });
                 EXPECT_EQ(recorder.calls.size(), 1u);
                 recorder.calls.clear();
             }},
            {"confirmation, Yes to switch user", nothing,
             [&] {
                 Use(32 + 128);
                 EXPECT_EQ(Press([](HWND dialog) { ClickButton(dialog, QUESTION_YES); }), 1);
                 EXPECT_EQ(recorder.calls.size(), 1u);
                 recorder.calls.clear();
             }},
            {"settings, skin, about, OK", [&] { Use(191, "Glass\\quiescorskin.ini"); },
             [&] {
                 SettingsCycle(IDOK);
                 EXPECT_EQ(site.Count("NotifyChanged"), 1u);
                 site.calls.clear();
             }},
            {"icons, own and from a file", nothing, [&] { IconsCycle(); }},
            {"Save and Load", nothing,
             [&] {
                 SettingsRecord record;
                 record.skinName = "Graphite\\quiescorskin.ini";
                 record.hotKey = 0x0641;
                 LoadThroughInjector(record.Bytes());
                 EXPECT_EQ(SaveThroughInjector(), record.Bytes());
             }},
            {"SetResourceModule, German and back",
             [&] { german = LoadLibraryA(QUIESCOR_GERMAN_PATH); }, [&] { LanguageCycle(german); }},
            {"objects made and released",
             [&] {
                 plugin->Release();
                 plugin = nullptr;
             },
             [&] { ObjectsCycle(); }},
            // The sweep's own checks: each must be told for what it is.
            {"deliberate crash", nothing,
             [] {
                 RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
             }},
            {"deliberate hang", nothing, [] { Sleep(INFINITE); }},
            {"deliberate failure", nothing, [] { ADD_FAILURE() << "as asked"; }},
        };
    }

    // The cycle once with the case's call refused and its expectations silenced, as they
    // may well fail then; then once more as usual; then the object goes.
    void RunCase(const FaultCase& order, const NamedCycle& cycle) {
        CFaultInjector injector;
        ASSERT_TRUE(injector.Install(library->Module()));
        {
            ::testing::TestPartResultArray silenced;
            ::testing::ScopedFakeTestPartResultReporter quiet(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
                &silenced);
            ASSERT_TRUE(injector.Start(order.function, order.call)) << order.function;
            cycle.run();
            injector.Stop();
        }
        if (injector.Fired()) {
            const UINT_PTR module = reinterpret_cast<UINT_PTR>(library->Module());
            ReportToParent("fired");
            if (injector.RefusedAt())
                ReportToParent("at " + ledger.Site(injector.RefusedAt() - module));
        }
        for (const FunctionCalls& made : injector.Calls())
            ReportToParent("calls " + made.function + " " + std::to_string(made.calls));
        if (order.call == 0) {
            ReportToParent("done");
            return;
        }
        ::testing::TestPartResultArray failures;
        {
            ::testing::ScopedFakeTestPartResultReporter listen(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
                &failures);
            cycle.run();
        }
        for (int k = 0; k < failures.size(); ++k)
            ReportToParent(std::string("failed ") + failures.GetTestPartResult(k).summary());
        if (plugin)
            plugin->Release();
        plugin = nullptr;
        for (const LedgerEntry& entry : ledger.Alive())
            ReportToParent("leak " + ledger.Describe(entry));
        for (const ForeignRelease& release : ledger.ForeignReleases())
            ReportToParent("leak " + ledger.Describe(release));
        ReportToParent("done");
    }

    HMODULE german = nullptr;
};

// A crash of the child ends it with the exception's code, never in a debugger.
LONG WINAPI EndWithTheException(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

TEST_F(FaultCycleTest, OneCaseAsTheParentAsked) {
    FaultCase order;
    if (!ChildCase(order))
        GTEST_SKIP() << "runs as a child of the sweep";
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndWithTheException);
    for (const NamedCycle& cycle : Cycles()) {
        if (cycle.name != order.cycle)
            continue;
        cycle.prepare();
        RunCase(order, cycle);
        if (german)
            FreeLibrary(german);
        return;
    }
    FAIL() << "no cycle " << order.cycle;
}

// The parent's side: every cycle counted once, then each chosen call failed in a child.
class FaultSweepTest : public ::testing::Test {
protected:
    static void TearDownTestSuite() { std::printf("%s", SweepTable(rows).c_str()); }

    // The calls each function makes in one run of the cycle.
    static std::vector<FunctionCalls> Count(const std::string& cycle) {
        const FaultOutcome counted = RunChild(CHILD_FILTER, {cycle, "", 0}, CHILD_TIMEOUT_MS);
        EXPECT_FALSE(counted.crashed || counted.hung) << cycle << ": the plain cycle failed";
        return counted.calls;
    }

    static SweepRow Sweep(const std::string& cycle, const std::string& function,
                          const std::vector<unsigned>& calls) {
        SweepRow row;
        row.function = function;
        row.cycle = cycle;
        for (unsigned call : calls) {
            const FaultCase order{cycle, function, call};
            Tally(row, order, RunChild(CHILD_FILTER, order, CHILD_TIMEOUT_MS));
        }
        rows.push_back(row);
        std::printf("swept %s, %s: %u cases, %u faults\n", cycle.c_str(), function.c_str(),
                    row.cases, row.Faults());
        std::fflush(stdout);
        return row;
    }

    static void ExpectSurvived(const SweepRow& row) {
        EXPECT_EQ(row.Faults(), 0u) << row.cycle << ", " << row.function << ": " << row.example;
    }

    static inline std::vector<SweepRow> rows;
};

TEST_F(FaultSweepTest, TheSweepTellsACrashAHangAndAFailureApart) {
    const FaultOutcome crash =
        RunChild(CHILD_FILTER, {"deliberate crash", "malloc", 1}, CHILD_TIMEOUT_MS);
    EXPECT_TRUE(crash.crashed);
    EXPECT_EQ(crash.exitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    const FaultOutcome hang =
        RunChild(CHILD_FILTER, {"deliberate hang", "malloc", 1}, SHORT_TIMEOUT_MS);
    EXPECT_TRUE(hang.hung);
    EXPECT_FALSE(hang.crashed);
    const FaultOutcome failure =
        RunChild(CHILD_FILTER, {"deliberate failure", "malloc", 1}, CHILD_TIMEOUT_MS);
    EXPECT_FALSE(failure.crashed || failure.hung) << failure.exitCode;
    EXPECT_FALSE(failure.recovered);
    EXPECT_NE(failure.detail.find("as asked"), std::string::npos) << failure.detail;
}

TEST_F(FaultSweepTest, ThePlainCyclesCallWhatTheInjectorFails) {
    std::vector<FunctionCalls> calls = Count("exit window, tip, Escape");
    const auto count = [&](const std::string& function) {
        for (const FunctionCalls& made : calls) {
            if (made.function == function)
                return made.calls;
        }
        return 0u;
    };
    EXPECT_GT(count("malloc"), 0u);
    EXPECT_GT(count("CreateWindowExA"), 0u);
    EXPECT_GT(count("CreateCompatibleDC"), 0u);
    calls = Count("Save and Load");
    EXPECT_GT(count(STREAM_READ), 0u);
    EXPECT_GT(count(STREAM_WRITE), 0u);
}

// A few kinds of call in each cycle, the first and the last of each: the subset that
// make test runs.
TEST_F(FaultSweepTest, RepresentativeCallsRefusedInEachCycle) {
    if (std::getenv("QUIESCOR_FAULTS_ALL"))
        GTEST_SKIP() << "the whole sweep runs instead";
    const std::vector<std::pair<std::string, std::vector<std::string>>> subset = {
        {"exit window, tip, Escape",
         {"malloc", "CreateCompatibleBitmap", "CreateWindowExA", "SetPropA"}},
        {"settings, skin, about, OK", {"malloc", "CreateDIBSection", "SetTimer"}},
        {"confirmation, Yes to switch user", {"LoadLibraryA", "DialogBoxIndirectParamW"}},
        {"icons, own and from a file", {"ExtractIconExA", "LoadImageA"}},
        {"Save and Load", {STREAM_READ, STREAM_WRITE}},
        {"objects made and released", {"malloc"}},
    };
    for (const auto& [cycle, functions] : subset) {
        const std::vector<FunctionCalls> calls = Count(cycle);
        for (const std::string& function : functions) {
            for (const FunctionCalls& made : calls) {
                if (made.function != function)
                    continue;
                std::vector<unsigned> firstAndLast = {1};
                if (made.calls > 1)
                    firstAndLast.push_back(made.calls);
                ExpectSurvived(Sweep(cycle, function, firstAndLast));
            }
        }
    }
}

// make faults: every function of every cycle.
TEST_F(FaultSweepTest, EveryFunctionRefusedInEveryCycle) {
    if (!std::getenv("QUIESCOR_FAULTS_ALL"))
        GTEST_SKIP() << "make faults runs the whole sweep";
    const unsigned limit = static_cast<unsigned>(std::atoi(std::getenv("QUIESCOR_FAULTS_ALL")));
    for (const char* cycle : {"exit window, tip, Escape", "exit window, tip, click on turn off",
                              "confirmation, Yes to switch user", "settings, skin, about, OK",
                              "icons, own and from a file", "Save and Load",
                              "SetResourceModule, German and back", "objects made and released"}) {
        for (const FunctionCalls& made : Count(cycle))
            ExpectSurvived(
                Sweep(cycle, made.function, CallsToFail(made.calls, limit ? limit : SWEEP_CALLS)));
    }
}

} // namespace
