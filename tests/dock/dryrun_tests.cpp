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
    EXPECT_EQ(CDryRun::Describe({"InitiateShutdownW", 0x1 | 0x4, 0x80000000}),
              "Quiescor would now restart the computer, ending the other users' sessions "
              "(planned)");
    EXPECT_EQ(CDryRun::Describe({"SendNotifyMessageA", SC_MONITORPOWER, 2}),
              "Quiescor would now turn the screen off, which puts this computer to sleep");
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
