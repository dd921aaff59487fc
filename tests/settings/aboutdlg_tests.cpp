// The about box linked into this program, with the plug-in module swapped for modules
// of known versions.
#include "base/module.h"
#include "host/dialogdriver.h"
#include "res/resource.h"
#include "settings/aboutdlg.h"
#include "tests/settings/settingstestsupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Stands in for the plug-in module while it lives.
class PluginModuleAs {
public:
    explicit PluginModuleAs(HMODULE module) { Module::SetHandle(module); }
    ~PluginModuleAs() { Module::SetHandle(nullptr); }
};

std::string RunAbout(std::function<void(HWND)> look = nullptr) {
    std::string version;
    CAboutDlg about;
    CDialogDriver driver([&](HWND window) {
        version = ItemText(window, IDC_ABOUT_VERSION);
        if (look)
            look(window);
        ClickButton(window, IDOK);
    });
    EXPECT_EQ(about.DoModal(nullptr, GetModuleHandleA(nullptr)), IDOK);
    return version;
}

TEST(AboutVersion, TrailingZeroPartsAreLeftOutButNeverAll) {
    EXPECT_EQ(CAboutDlg::FormatVersion(0x00020001, 0), "2.1");
    EXPECT_EQ(CAboutDlg::FormatVersion(0x00020000, 0), "2");
    EXPECT_EQ(CAboutDlg::FormatVersion(0x00010000, 0x00000005), "1.0.0.5");
    EXPECT_EQ(CAboutDlg::FormatVersion(0x00030000, 0x00010000), "3.0.1");
    EXPECT_EQ(CAboutDlg::FormatVersion(0, 0), "0.0.0.0");
    EXPECT_EQ(CAboutDlg::FormatVersion(0xFFFFFFFF, 0xFFFFFFFF), "65535.65535.65535.65535");
}

TEST(AboutDialog, ShowsTheFileVersionOfThePluginModule) {
    EXPECT_EQ(RunAbout(), "v2.1");
    HMODULE language = LoadLibraryA("lang_1_2_0_0.dll");
    HMODULE bare = LoadLibraryA("noversion.dll");
    ASSERT_TRUE(language && bare);
    {
        PluginModuleAs plugin(language);
        EXPECT_EQ(RunAbout(), "v1.2");
    }
    {
        PluginModuleAs plugin(bare);
        EXPECT_EQ(RunAbout(), "v0.0.0.0");
    }
    FreeLibrary(language);
    FreeLibrary(bare);
}

TEST(AboutDialog, PictureIsDrawnAtItsPlaceholder) {
    RECT area = {}, picture = {};
    RunAbout([&](HWND window) {
        area = DialogItemRect(window, IDC_ABOUT_PICTURE);
        picture = CaptureClient(window)->Extent([](COLORREF c) {
            return GetRValue(c) > 150 && GetGValue(c) < 90 && GetBValue(c) < 90;
        });
    });
    ASSERT_FALSE(IsRectEmpty(&picture)) << "no red power symbol";
    EXPECT_GE(picture.left, area.left);
    EXPECT_GE(picture.top, area.top);
    EXPECT_LE(picture.right, area.left + 48);
    EXPECT_LE(picture.bottom, area.top + 48);
}

} // namespace
