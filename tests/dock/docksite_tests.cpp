// The dock's site, bar and settings file with the real plug-in object in this process.
#include "dock/dockbar.h"
#include "dock/docksite.h"
#include "dock/settingsfile.h"
#include "host/pluginlibrary.h"
#include "host/windowcapture.h"
#include "tests/dock/docktestsupport.h"
#include "tests/dock/pngreader.h"
#include "tests/host/builtplugin.h"
#include "tests/host/scratchfolder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr WORD CTRL_ALT_Q = 0x0600 | 'Q';

RgbImage CaptureBar(HWND bar) {
    ScreenImage screen;
    RgbImage image;
    if (!CWindowCapture::Capture(bar, screen))
        return image;
    image.width = screen.width;
    image.height = screen.height;
    for (size_t i = 0; i < screen.bgrx.size(); i += 4) {
        image.rgb.push_back(screen.bgrx[i + 2]);
        image.rgb.push_back(screen.bgrx[i + 1]);
        image.rgb.push_back(screen.bgrx[i]);
    }
    return image;
}

std::string TooltipText(HWND bar) {
    HWND tooltip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    while (tooltip && GetWindow(tooltip, GW_OWNER) != bar)
        tooltip = FindWindowExA(nullptr, tooltip, TOOLTIPS_CLASSA, nullptr);
    char text[256] = {};
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = bar;
    tool.uId = 1;
    tool.lpszText = text;
    if (tooltip)
        SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

class DockSiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.IsLoaded());
        ASSERT_TRUE(bar.Create(GetModuleHandleA(nullptr)));
        plugin = NewPlugin();
        ASSERT_NE(plugin, nullptr);
    }

    void TearDown() override {
        bar.Attach(nullptr);
        ReleasePlugin(plugin);
    }

    IHostPlugin* NewPlugin() {
        IHostPlugin* created = library.CreatePlugin();
        if (created) {
            site.Attach(created);
            created->SetSite(&site);
        }
        return created;
    }

    void ReleasePlugin(IHostPlugin*& object) {
        if (object)
            object->Release();
        object = nullptr;
    }

    PluginLibrary library{BuiltPluginPath()};
    ScratchFolder folder;
    CSettingsFile settings{folder.File("dock.dat")};
    CDockBar bar;
    CDockSite site{bar, settings};
    IHostPlugin* plugin = nullptr;
};

TEST_F(DockSiteTest, NotifiedSettingsRoundTripThroughTheFile) {
    EXPECT_FALSE(settings.LoadInto(plugin)) << "no file yet";

    plugin->SetIconLocation("C:\\icons\\a rather long name.ico,3");
    plugin->SetIconLocation("C:\\b.ico,1");
    std::vector<BYTE> saved = ReadBytes(settings.Path());
    ASSERT_EQ(saved.size(), RECORD_SIZE);
    EXPECT_EQ(saved[0], 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(&saved[ICON_LOCATION_OFFSET]), "C:\\b.ico,1");
    EXPECT_EQ(GetFileAttributesA((settings.Path() + ".new").c_str()), INVALID_FILE_ATTRIBUTES);

    ReleasePlugin(plugin);
    plugin = NewPlugin();
    ASSERT_TRUE(settings.LoadInto(plugin));
    char location[MAX_PATH] = {};
    plugin->GetIconLocation(location);
    EXPECT_STREQ(location, "C:\\b.ico,1");
}

TEST_F(DockSiteTest, HotKeyOfTheSavedRecordIsBoundUntilTheObjectGoes) {
    WriteBytes(settings.Path(), RecordWith(CTRL_ALT_Q));
    ASSERT_TRUE(settings.LoadInto(plugin));
    EXPECT_EQ(site.BoundHotKey(), CTRL_ALT_Q);
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'Q'));

    ReleasePlugin(plugin);
    EXPECT_EQ(site.BoundHotKey(), 0);
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'Q'));
}

TEST_F(DockSiteTest, HotKeyModifiersReachTheSystem) {
    struct Case {
        WORD hotKey;
        UINT modifiers;
    };
    const Case cases[] = {
        {0x0100 | VK_F7, MOD_SHIFT},
        {0x0200 | VK_F7, MOD_CONTROL},
        {0x0400 | VK_F7, MOD_ALT},
        {0x2000 | VK_F7, MOD_WIN},
        {0x2700 | VK_F7, MOD_WIN | MOD_ALT | MOD_CONTROL | MOD_SHIFT},
        {0x0E00 | VK_HOME, MOD_ALT | MOD_CONTROL}, // the extended-key bit is no modifier
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hotKey);
        EXPECT_EQ(site.SetHotKey(HOST_BUTTON_SLOT, c.hotKey, 0), S_OK);
        EXPECT_TRUE(HotKeyTaken(c.modifiers, LOBYTE(c.hotKey)));
        EXPECT_EQ(site.SetHotKey(HOST_BUTTON_SLOT, 0, 0), S_OK);
        EXPECT_FALSE(HotKeyTaken(c.modifiers, LOBYTE(c.hotKey)));
    }
}

TEST_F(DockSiteTest, ButtonShowsTheObjectsIconAndCaption) {
    plugin->SetCaption("Quiescor");
    bar.Attach(plugin);
    bar.Show();
    EXPECT_EQ(TooltipText(bar.Handle()), "Quiescor");
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(bar.Icon(), &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(colour.bmWidth, CDockBar::ICON_SIZE) << "the site asks for large icons";
    EXPECT_GT(CountRedTile(CaptureBar(bar.Handle())), 300);

    // The plug-in's icon 0 is the dark tile: refreshing must drop the red one.
    plugin->SetIconLocation((library.Path() + ",0").c_str());
    EXPECT_NE(bar.Icon(), nullptr);
    RgbImage refreshed = CaptureBar(bar.Handle());
    EXPECT_EQ(CountRedTile(refreshed), 0);
    EXPECT_GT(CountWhite(refreshed), 0);
}

} // namespace
