#include "dock/dockoptions.h"
#include "dock/dryrun.h"

#include <gtest/gtest.h>

namespace {

TEST(DryRun, NamesEachPowerCall) {
    EXPECT_EQ(CDryRun::Describe({"ExitWindowsEx", 0, 0}), "Quiescor would now log off");
    EXPECT_EQ(CDryRun::Describe({"ExitWindowsEx", 9, 0}),
              "Quiescor would now turn off the computer");
    EXPECT_EQ(CDryRun::Describe({"ExitWindowsEx", 2, 0}),
              "Quiescor would now restart the computer");
    EXPECT_EQ(CDryRun::Describe({"SetSystemPowerState", TRUE, FALSE}),
              "Quiescor would now put the computer on stand by");
    EXPECT_EQ(CDryRun::Describe({"SetSystemPowerState", FALSE, FALSE}),
              "Quiescor would now hibernate the computer");
    // How Windows is asked, as the plug-in asks it.
    EXPECT_EQ(CDryRun::Describe({"ExitWindowsEx", 0x400009, 0x80000000}),
              "Quiescor would now turn off the computer, ready for a fast start (planned)");
    EXPECT_EQ(CDryRun::Describe({"ExitWindowsEx", 2 | 4, 0x80000000}),
              "Quiescor would now restart the computer, ending the other users' sessions "
              "(planned)");
    EXPECT_EQ(CDryRun::Describe({"SendNotifyMessageA", SC_MONITORPOWER, 2}),
              "Quiescor would now turn the screen off, which puts this computer to sleep");
}

TEST(DryRun, SimulatedComputerAndPoliciesGoOnlyWithADryRun) {
    const struct {
        std::vector<const char*> arguments;
        bool parsed;
    } lines[] = {
        {{"--dry-run", "--no-hibernate", "--no-sleep", "--other-users", "--policy", "NoClose"},
         true},
        {{"--no-hibernate"}, false},
        {{"--policy", "NoClose"}, false},
        {{"--dry-run", "--policy", "NoSuchPolicy"}, false},
        {{"--dry-run", "--policy"}, false},
    };
    for (const auto& line : lines) {
        std::vector<char*> argv = {const_cast<char*>("dock.exe")};
        for (const char* argument : line.arguments)
            argv.push_back(const_cast<char*>(argument));
        DockOptions options;
        std::string error;
        EXPECT_EQ(ParseDockOptions(static_cast<int>(argv.size()), argv.data(), options, error),
                  line.parsed)
            << error;
        if (line.parsed) {
            EXPECT_FALSE(options.computer.canHibernate);
            EXPECT_FALSE(options.computer.canSleep);
            EXPECT_TRUE(options.computer.otherUsers);
            EXPECT_EQ(options.policies, std::vector<std::string>{"NoClose"});
        }
    }
}

TEST(DryRun, RefusesAModuleWhosePowerCallsItCannotReach) {
    // The language module imports nothing: a dry run over it must not claim success.
    HMODULE module = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(module, nullptr);
    CDryRun dryRun;
    EXPECT_FALSE(dryRun.Install(module, nullptr, DockOptions()));
    FreeLibrary(module);
}

} // namespace
