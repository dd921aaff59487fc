// The dock as a user runs it: its own process, the plug-in beside it, its settings
// file beside it.
#include "dock/dockapp.h"
#include "dock/dockbar.h"
#include "tests/dock/dockprocess.h"
#include "tests/dock/docktestsupport.h"
#include "tests/dock/pngreader.h"
#include "tests/host/scratchfolder.h"
#include "host/screenresolution.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The bar grows with the screen's resolution, which the dock reads when it starts.
TEST(DockProgram, ScreenshotShowsTheButtonIconAtTheScreensResolution) {
    for (DWORD dpi : {96u, 144u}) {
        ScreenResolution resolution(dpi);
        ScratchFolder folder;
        DockProcess dock(folder);
        std::string png = folder.File("shot.png");
        ASSERT_EQ(dock.Run("--screenshot \"" + png + "\""), CDockApp::EXIT_OK) << dpi;

        RgbImage image;
        ASSERT_TRUE(ReadPng(png, image)) << dpi;
        EXPECT_EQ(image.width, MulDiv(CDockBar::SIZE, dpi, 96)) << dpi;
        EXPECT_EQ(image.height, MulDiv(CDockBar::SIZE, dpi, 96)) << dpi;
        // The icon is a red tile of about 30 x 30 pixels with a white power symbol.
        EXPECT_GT(CountRedTile(image), 500) << dpi;
        EXPECT_GT(CountWhite(image), 40) << dpi;
        // Nothing changed, so nothing was saved.
        EXPECT_EQ(GetFileAttributesA(folder.File("dock.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(DockProgram, SavedHotKeyIsHeldWhileTheDockRuns) {
    ScratchFolder folder;
    const WORD ctrlAltJ = 0x0600 | 'J';
    WriteBytes(folder.File("dock.dat"), RecordWith(ctrlAltJ));
    DockProcess dock(folder);
    ASSERT_TRUE(dock.Start());
    HWND bar = dock.WaitForBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'J'));

    PostMessageA(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(dock.Wait(), CDockApp::EXIT_OK) << "the plug-in must be unloadable at exit";
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'J'));
}

// The message box with this caption, or null when none comes in time.
HWND WaitForMessageBox(const char* caption, DWORD milliseconds = 30000) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        HWND box = FindWindowA("#32770", caption);
        if (box && IsWindowVisible(box))
            return box;
        Sleep(50);
    }
    return nullptr;
}

std::string MessageText(HWND box) {
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

TEST(DockProgram, DryRunSaysWhatThePressWouldDoAndRemembersTheAction) {
    ScratchFolder folder;
    WriteBytes(folder.File("dock.dat"), RecordWith(0, "", 128));
    DockProcess dock(folder);
    ASSERT_TRUE(dock.Start("--dry-run"));
    HWND bar = dock.WaitForBar();
    ASSERT_NE(bar, nullptr);

    PostMessageA(bar, WM_HOTKEY, 0, 0);
    HWND box = WaitForMessageBox("Quiescor dry run");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), "Quiescor would now lock the workstation so that another user "
                                "can log on");
    PostMessageA(box, WM_COMMAND, IDOK, 0);

    PostMessageA(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(dock.Wait(), CDockApp::EXIT_OK);
    std::vector<BYTE> saved = ReadBytes(folder.File("dock.dat"));
    ASSERT_EQ(saved.size(), RECORD_SIZE);
    DWORD lastAction = 0;
    std::memcpy(&lastAction, &saved[8], sizeof lastAction);
    EXPECT_EQ(lastAction, 128u);
}

TEST(DockProgram, DryRunCanPlayAWindowsThatRefusesAndThePluginSaysSo) {
    ScratchFolder folder;
    WriteBytes(folder.File("dock.dat"), RecordWith(0, "", 2));
    DockProcess dock(folder);
    ASSERT_TRUE(dock.Start("--dry-run --refuse"));
    HWND bar = dock.WaitForBar();
    ASSERT_NE(bar, nullptr);

    PostMessageA(bar, WM_HOTKEY, 0, 0);
    HWND box = WaitForMessageBox("Quiescor");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box).rfind("Windows refused this action: Turn Off\r\n\r\n", 0), 0u)
        << MessageText(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), bar);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(FindWindowA("#32770", "Quiescor dry run"), nullptr);

    PostMessageA(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(dock.Wait(), CDockApp::EXIT_OK);
}

// The number of pixels of exactly this colour.
int CountColour(const RgbImage& image, BYTE red, BYTE green, BYTE blue) {
    int count = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        count += image.rgb[i] == red && image.rgb[i + 1] == green && image.rgb[i + 2] == blue;
    return count;
}

// Copies a sample skin from the skins folder beside the built dock.
void CopySampleSkin(const std::string& name, const ScratchFolder& folder) {
    std::string source = QUIESCOR_DOCK_PATH;
    source.erase(source.find_last_of('\\') + 1);
    source += "skins\\" + name + "\\";
    const std::string target = folder.File("skins\\" + name + "\\");
    CreateDirectoryA(folder.File("skins").c_str(), nullptr);
    CreateDirectoryA(target.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((source + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileA((source + found.cFileName).c_str(), (target + found.cFileName).c_str(),
                      FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

TEST(DockProgram, PressedButtonOpensTheExitWindowWithItsTooltip) {
    ScratchFolder folder;
    DockProcess dock(folder);
    const std::string bar = folder.File("bar.png");
    const std::string shot = folder.File("exit.png");
    ASSERT_EQ(dock.Run("--dry-run --screenshot \"" + bar + "\" --exit-window-screenshot \"" + shot +
                       "\""),
              CDockApp::EXIT_OK);
    RgbImage image;
    ASSERT_TRUE(ReadPng(shot, image));
    EXPECT_GT(image.width, 313) << "six captions widen the built-in skin";
    EXPECT_GE(image.height, 198);
    EXPECT_GT(CountColour(image, 0, 51, 153), 5000) << "the header and footer bands";
    EXPECT_GT(CountColour(image, 51, 102, 204), 5000) << "the body band";
    EXPECT_GT(CountColour(image, 255, 255, 255), 2000) << "captions and the balloon";
    // Cancelled: nothing was chosen, so nothing was saved.
    EXPECT_EQ(GetFileAttributesA(folder.File("dock.dat").c_str()), INVALID_FILE_ATTRIBUTES);

    // The plug-in alone finds the system's high-contrast mode on: the captions take the
    // system's text colour, and the focused button its outline.
    RgbImage contrasted;
    ASSERT_EQ(dock.Run("--dry-run --high-contrast --screenshot \"" + bar +
                       "\" --exit-window-screenshot \"" + shot + "\""),
              CDockApp::EXIT_OK);
    ASSERT_TRUE(ReadPng(shot, contrasted));
    auto count = [](const RgbImage& picture, int colour) {
        const COLORREF system = GetSysColor(colour);
        return CountColour(picture, GetRValue(system), GetGValue(system), GetBValue(system));
    };
    EXPECT_GT(count(contrasted, COLOR_WINDOWTEXT), count(image, COLOR_WINDOWTEXT) + 300);
    EXPECT_GT(count(contrasted, COLOR_HIGHLIGHT), count(image, COLOR_HIGHLIGHT) + 50);

    // A skin named on the command line, here the sample skin Graphite beside the dock.
    CopySampleSkin("Graphite", folder);
    ASSERT_EQ(dock.Run("--dry-run --skin Graphite\\quiescorskin.ini --screenshot \"" + bar +
                       "\" --exit-window-screenshot \"" + shot + "\""),
              CDockApp::EXIT_OK);
    ASSERT_TRUE(ReadPng(shot, image));
    EXPECT_LT(CountColour(image, 0, 51, 153), 100) << "not the built-in skin";
    EXPECT_GT(CountColour(image, 255, 255, 255), 1000) << "the balloon";
}

// Same size, and not every pixel the same.
bool SameSizeButDifferent(const RgbImage& one, const RgbImage& other) {
    return one.width == other.width && one.height == other.height && one.rgb != other.rgb;
}

TEST(DockProgram, LanguageModuleGivesTheDialogsItsTexts) {
    ScratchFolder folder;
    DockProcess dock(folder);
    const std::string language = " --language \"" QUIESCOR_GERMAN_PATH "\"";
    enum { SETTINGS, CONFIRM, ABOUT, DIALOGS };
    const char* const names[DIALOGS] = {"settings.png", "confirm.png", "about.png"};
    RgbImage shots[2][DIALOGS];
    for (int german = 0; german < 2; ++german) {
        ASSERT_EQ(dock.Run("--dry-run --screenshot \"" + folder.File("bar.png") +
                           "\" --settings-screenshot \"" + folder.File(names[SETTINGS]) +
                           "\" --confirm-screenshot \"" + folder.File(names[CONFIRM]) +
                           "\" --about-screenshot \"" + folder.File(names[ABOUT]) + "\"" +
                           (german ? language : "")),
                  CDockApp::EXIT_OK);
        for (int dialog = 0; dialog < DIALOGS; ++dialog)
            ASSERT_TRUE(ReadPng(folder.File(names[dialog]), shots[german][dialog]))
                << names[dialog];
    }
    for (int dialog = 0; dialog < DIALOGS; ++dialog)
        EXPECT_TRUE(SameSizeButDifferent(shots[0][dialog], shots[1][dialog])) << names[dialog];
    // The about box, not the settings dialog it opens from: smaller, with the red picture.
    const RgbImage& about = shots[0][ABOUT];
    EXPECT_LT(about.width, shots[0][SETTINGS].width);
    EXPECT_LT(about.height, shots[0][SETTINGS].height);
    EXPECT_GT(CountRedTile(about), 300);
    EXPECT_EQ(GetFileAttributesA(folder.File("dock.dat").c_str()), INVALID_FILE_ATTRIBUTES)
        << "every dialog was cancelled";
}

TEST(DockProgram, FailsLoudlyWithoutItsPluginOrWithABadCommandLine) {
    ScratchFolder folder;
    DockProcess lonely(folder, false);
    EXPECT_EQ(lonely.Run("--screenshot x.png"), CDockApp::EXIT_NO_PLUGIN);

    ScratchFolder other;
    DockProcess dock(other);
    EXPECT_EQ(dock.Run("--frobnicate"), CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--screenshot"), CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--screenshot a.png --skin"), CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--screenshot a.png --exit-window-screenshot b.png"),
              CDockApp::EXIT_BAD_COMMAND_LINE)
        << "a press without --dry-run could end the session";
    EXPECT_EQ(dock.Run("--dry-run --confirm-screenshot b.png"), CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--screenshot a.png --about-screenshot b.png"),
              CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--language"), CDockApp::EXIT_BAD_COMMAND_LINE);
    EXPECT_EQ(dock.Run("--language missing.dll --screenshot a.png"), CDockApp::EXIT_NO_LANGUAGE);
    EXPECT_EQ(dock.Run("--refuse --screenshot a.png"), CDockApp::EXIT_BAD_COMMAND_LINE);

    EXPECT_EQ(dock.Run("--help"), CDockApp::EXIT_OK);
    EXPECT_EQ(dock.Output().rfind("usage: dock [options]", 0), 0u) << dock.Output();
    EXPECT_NE(dock.Output().find("--dry-run"), std::string::npos) << dock.Output();
}

// The plug-in falls back silently to its own texts and its built-in skin; the dock says
// what it refused and why.
TEST(DockProgram, LogsWhatThePluginRefusesAndWhy) {
    ScratchFolder folder;
    DockProcess dock(folder);
    CopySampleSkin("Graphite", folder);
    const std::string skins = folder.File("skins\\");
    DeleteFileA((skins + "Graphite\\background.png").c_str());
    // A module of another version: the dock itself, which has none.
    const std::string language = " --language \"" + folder.File("dock.exe") + "\"";
    struct Case {
        std::string arguments;
        const char* logged; // empty when nothing is refused
    };
    const Case cases[] = {
        {"", ""},
        {language, "the plug-in refuses the language module"},
        {" --language \"" QUIESCOR_GERMAN_PATH "\"", ""},
        {" --skin Graphite\\quiescorskin.ini",
         "the plug-in refuses the skin Graphite\\quiescorskin.ini: its background "
         "background.png: no such file"},
        {" --skin Nothing\\quiescorskin.ini", "quiescorskin.ini: no such file"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(dock.Run("--screenshot \"" + folder.File("bar.png") + "\"" + c.arguments),
                  CDockApp::EXIT_OK)
            << c.arguments;
        const std::string output = dock.Output();
        if (*c.logged)
            EXPECT_NE(output.find(c.logged), std::string::npos) << c.arguments << "\n" << output;
        else
            EXPECT_EQ(output.find("refuses"), std::string::npos) << c.arguments << "\n" << output;
    }
}

} // namespace
