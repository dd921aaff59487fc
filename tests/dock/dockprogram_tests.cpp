// The dock as a user runs it: its own process, the plug-in beside it, its settings
// file beside it.
#include "dock/dockapp.h"
#include "dock/dockbar.h"
#include "tests/dock/dockprocess.h"
#include "tests/dock/pngreader.h"
#include "tests/dock/scratchfolder.h"
#include "tests/dock/settingsrecord.h"

#include <gtest/gtest.h>

namespace {

TEST(DockProgram, ScreenshotShowsTheButtonIcon) {
    ScratchFolder folder;
    DockProcess dock(folder);
    std::string png = folder.File("shot.png");
    ASSERT_EQ(dock.Run("--screenshot \"" + png + "\""), CDockApp::EXIT_OK);

    RgbImage image;
    ASSERT_TRUE(ReadPng(png, image));
    EXPECT_EQ(image.width, CDockBar::SIZE);
    EXPECT_EQ(image.height, CDockBar::SIZE);
    // The icon is a red tile of about 30 x 30 pixels with a white power symbol.
    EXPECT_GT(CountRedTile(image), 500);
    EXPECT_GT(CountWhite(image), 40);
    // Nothing changed, so nothing was saved.
    EXPECT_EQ(GetFileAttributesA(folder.File("dock.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DockProgram, SavedHotKeyIsHeldWhileTheDockRuns) {
    ScratchFolder folder;
    const WORD ctrlAltJ = 0x0600 | 'J';
    WriteBytes(folder.File("dock.dat"), SettingsRecord(ctrlAltJ));
    DockProcess dock(folder);
    ASSERT_TRUE(dock.Start());
    HWND bar = dock.WaitForBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'J'));

    PostMessageA(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(dock.Wait(), CDockApp::EXIT_OK) << "the plug-in must be unloadable at exit";
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'J'));
}

TEST(DockProgram, FailsLoudlyWithoutItsPluginOrWithABadCommandLine) {
    ScratchFolder folder;
    DockProcess lonely(folder, false);
    EXPECT_EQ(lonely.Run("--screenshot x.png"), CDockApp::EXIT_NO_PLUGIN);

    ScratchFolder other;
    DockProcess dock(other);
    EXPECT_EQ(dock.Run("--frobnicate"), CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--screenshot"), CDockApp::EXIT_BAD_COMMAND_LINE);
}

} // namespace
