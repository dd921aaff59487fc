// The skin on its own, linked into this program: the program's module holds the
// plug-in's resources and its folder holds the skins folder the tests fill.
#include "exitwnd/skin.h"
#include "skintestsupport.h"
#include "tests/host/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr COLORREF HEADER = RGB(0, 51, 153);
constexpr COLORREF BODY = RGB(51, 102, 204);

const char* const CAPTIONS[] = {"Log off", "Stand by", "Hibernate",
                                "Restart", "Turn Off", "Switch User"};
constexpr LONG PLACEMENT[] = {128, 1, 8, 16, 2, 4};

HMODULE Program() {
    return GetModuleHandleA(nullptr);
}

std::vector<LONG> Keys(const CSkin& skin) {
    std::vector<LONG> keys;
    for (int i = 0; i < CSkin::MAX_BUTTONS; ++i) {
        if (skin.Button(i).key)
            keys.push_back(skin.Button(i).key);
    }
    return keys;
}

COLORREF TopDownColour(CRasterImage& image, int x, int y) {
    RGBQUAD c = image.PixelColor(x, image.Height() - 1 - y, false);
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

int CountOtherThan(CRasterImage& image, const RECT& area, COLORREF colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x)
            count += TopDownColour(image, x, y) != colour;
    }
    return count;
}

// The caption font's measure of the widest and tallest caption, taken independently.
SIZE MeasureCaptions(HDC dc) {
    HFONT font = CSkin::CreateCaptionFont();
    HGDIOBJ old = SelectObject(dc, font);
    SIZE largest = {0, 0};
    for (const char* caption : CAPTIONS) {
        SIZE extent;
        GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &extent);
        largest.cx = std::max(largest.cx, extent.cx);
        largest.cy = std::max(largest.cy, extent.cy);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    return largest;
}

const char INI_ALL_BUTTONS_BACKWARDS[] = "[general]\nName=Backwards\n"
                                         "[images]\nCancel=cancel.png\nHibernate=hibernate.png\n"
                                         "LogOff=logoff.png\nBackGround=background.png\n"
                                         "TurnOff=turnoff.png\n"
                                         "[points]\nCancel=-5,7\nLogOff=x=12 y=34\n";

TEST(SkinLoad, FallsBackToTheBuiltInSkin) {
    TestSkinFolder noBackground("NoBackground");
    noBackground.WriteText("quiescorskin.ini", "[images]\nTurnOff=t.png\n");
    noBackground.Write("t.png", SolidPng(8, 24, RGB(1, 2, 3)));
    TestSkinFolder missingPicture("MissingPicture");
    missingPicture.WriteText("quiescorskin.ini", "[images]\nBackGround=absent.png\n");

    for (const char* name : {"", "Nowhere\\quiescorskin.ini", "NoBackground\\quiescorskin.ini",
                             "MissingPicture\\quiescorskin.ini"}) {
        CSkin skin;
        skin.Load("");
        skin.Load(name);
        EXPECT_TRUE(skin.IsDefault()) << name;
        EXPECT_TRUE(Keys(skin).empty()) << name;
        EXPECT_FALSE(skin.Background().IsValid()) << name;
    }
}

TEST(SkinLoad, ButtonsTakeTheFixedOrderAndTheirPoints) {
    TestSkinFolder folder("Backwards");
    folder.WriteText("quiescorskin.ini", INI_ALL_BUTTONS_BACKWARDS);
    folder.Write("background.png", SolidPng(120, 80, RGB(0, 0, 200)));
    folder.Write("cancel.png", SolidPng(50, 90, RGB(9, 9, 9)));
    folder.Write("hibernate.png", SolidPng(10, 30, RGB(1, 1, 1)));
    folder.Write("logoff.png", SolidPng(12, 31, RGB(2, 2, 2)));
    folder.Write("turnoff.png", SolidPng(14, 42, RGB(3, 3, 3)));

    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    ASSERT_FALSE(skin.IsDefault());
    EXPECT_EQ(Keys(skin), (std::vector<LONG>{2, 1, 16, 64}));

    RECT rect;
    ASSERT_TRUE(skin.GetButtonRect(64, rect));
    EXPECT_EQ(rect, (RECT{5, 7, 55, 37}));
    ASSERT_TRUE(skin.GetButtonRect(1, rect));
    EXPECT_EQ(rect, (RECT{12, 34, 24, 44})) << "state height is 31 div 3";
    ASSERT_TRUE(skin.GetButtonRect(2, rect));
    EXPECT_EQ(rect, (RECT{0, 0, 14, 14})) << "no point means (0, 0)";

    RECT untouched = {1, 2, 3, 4};
    EXPECT_FALSE(skin.GetButtonRect(8, untouched));
    EXPECT_EQ(untouched, (RECT{1, 2, 3, 4}));

    // Folder skins have no captions, whatever the actions.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(skin.Button(i).captionRect, (RECT{0, 0, 0, 0}));
    CCanvas canvas(10, 10, RGB(0, 0, 0));
    SIZE size;
    skin.Layout(canvas.Dc(), Program(), 0, size);
    EXPECT_EQ(size.cx, 120);
    EXPECT_EQ(size.cy, 80);
    EXPECT_EQ(Keys(skin), (std::vector<LONG>{2, 1, 16, 64})) << "Layout keeps a folder skin";

    // Loading again discards the old skin first.
    skin.Load("");
    EXPECT_TRUE(skin.IsDefault());
    EXPECT_TRUE(Keys(skin).empty());
}

TEST(SkinLoad, BackgroundAloneGivesASkinWithoutButtons) {
    TestSkinFolder folder("Bare");
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\n");
    folder.Write("bg.png", SolidPng(30, 20, RGB(5, 5, 5)));
    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    EXPECT_FALSE(skin.IsDefault());
    EXPECT_TRUE(Keys(skin).empty()) << "not even Cancel";
}

TEST(SkinLoad, PicturesThatAreNotPngLoadByTheirContentsAndBrokenOnesAreLeftOut) {
    TestSkinFolder folder("Mixed");
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nTurnOff=broken.png\n"
                                         "Restart=bitmap.png\nCancel=c.png\n");
    folder.Write("bg.png", TopDownBitmap24());
    folder.Write("broken.png", Bytes{0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5});
    folder.Write("bitmap.png", TopDownBitmap24());
    folder.Write("c.png", SolidPng(6, 9, RGB(7, 7, 7)));
    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    ASSERT_FALSE(skin.IsDefault()) << "a bitmap background loads through detection";
    EXPECT_EQ(skin.Background().Width(), 2);
    EXPECT_EQ(Keys(skin), (std::vector<LONG>{4, 64}));
}

TEST(SkinPaths, NamesAndPathsConvertBothWays) {
    char name[MAX_PATH] = "unchanged";
    EXPECT_TRUE(CSkin::SkinNameFromPath("D:\\Tools\\SKINS\\Blue\\quiescorskin.ini", name));
    EXPECT_STREQ(name, "Blue\\quiescorskin.ini");
    lstrcpyA(name, "unchanged");
    EXPECT_FALSE(CSkin::SkinNameFromPath("D:\\Tools\\skinsBlue\\quiescorskin.ini", name));
    EXPECT_STREQ(name, "unchanged");

    char path[MAX_PATH];
    CSkin::MakeSkinPath("Blue\\quiescorskin.ini", path);
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string expected(program);
    expected =
        expected.substr(0, expected.find_last_of('\\') + 1) + "skins\\Blue\\quiescorskin.ini";
    EXPECT_STREQ(path, expected.c_str());
    EXPECT_TRUE(CSkin::SkinNameFromPath(path, name));
    EXPECT_STREQ(name, "Blue\\quiescorskin.ini");

    // A name that cannot fit a path beside the skins folder names no file at all.
    std::string longName(MAX_PATH - 5, 'x');
    CSkin::MakeSkinPath(longName.c_str(), path);
    EXPECT_STREQ(path, "");
    CSkin skin;
    skin.Load(longName.c_str());
    EXPECT_TRUE(skin.IsDefault());
}

class DefaultLayout : public ::testing::Test {
protected:
    SIZE Lay(DWORD actions, HMODULE strings) {
        SIZE size = {};
        skin.Layout(canvas.Dc(), strings, actions, size);
        return size;
    }
    RECT Rect(LONG key) {
        RECT rect = {-1, -1, -1, -1};
        skin.GetButtonRect(key, rect);
        return rect;
    }

    CCanvas canvas{16, 16, RGB(0, 0, 0)};
    CSkin skin;
};

TEST_F(DefaultLayout, AllSixActionsFollowTheMeasuredCaptions) {
    const SIZE caption = MeasureCaptions(canvas.Dc());
    const SIZE size = Lay(0xFF, Program());

    const int columnW = std::max<int>(32, caption.cx);
    const int cellH = 32 + caption.cy + 5;
    const int top = std::max(45, 100 - cellH / 2);
    const int rowW = (columnW + 10) * 6 - 10;
    int left = std::max(20, 156 - rowW / 2);
    const int right = left + rowW;
    EXPECT_EQ(size.cx, right > 293 ? 313 + rowW - 273 : 313);
    EXPECT_EQ(size.cy, top + cellH > 155 ? 198 + cellH - 110 : 198);
    EXPECT_GT(size.cx, 313) << "six captions need more than the background's width";

    ASSERT_EQ(Keys(skin), (std::vector<LONG>{128, 1, 8, 16, 2, 4, 64}));
    for (int i = 0; i < 6; ++i) {
        const SkinButton& button = skin.Button(i);
        const int iconLeft = left + columnW / 2 - 16;
        EXPECT_EQ(button.buttonRect, (RECT{iconLeft, top, iconLeft + 32, top + 32}))
            << PLACEMENT[i];
        EXPECT_EQ(button.captionRect,
                  (RECT{left, top + cellH - caption.cy, left + columnW, top + cellH}))
            << PLACEMENT[i];
        ASSERT_NE(button.image, nullptr);
        EXPECT_EQ(button.image->Width(), 32);
        EXPECT_EQ(button.image->Height(), 96);
        left += columnW + 10;
    }
    EXPECT_EQ(Rect(64), (RECT{size.cx - 83, size.cy - 31, size.cx - 10, size.cy - 10}))
        << "Cancel keeps to the bottom right corner";
}

TEST_F(DefaultLayout, OneNarrowActionSitsInTheMiddle) {
    HMODULE noCaptions = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(noCaptions, nullptr);
    const SIZE size = Lay(8, noCaptions);
    EXPECT_EQ(size.cx, 313);
    EXPECT_EQ(size.cy, 198);
    EXPECT_EQ(Keys(skin), (std::vector<LONG>{8, 64}));
    EXPECT_EQ(Rect(8), (RECT{140, 82, 172, 114}));
    EXPECT_EQ(skin.Button(0).captionRect, (RECT{140, 119, 172, 119}));
    FreeLibrary(noCaptions);
}

TEST_F(DefaultLayout, NoActionLeavesOnlyCancel) {
    const SIZE size = Lay(32 + 64, Program());
    EXPECT_EQ(size.cx, 313);
    EXPECT_EQ(size.cy, 198);
    EXPECT_EQ(Keys(skin), (std::vector<LONG>{64}));
    EXPECT_EQ(Rect(64), (RECT{230, 167, 303, 188}));
}

TEST_F(DefaultLayout, LayoutRebuildsTheTableEachTime) {
    Lay(0xFF, Program());
    Lay(2 + 4, Program());
    EXPECT_EQ(Keys(skin), (std::vector<LONG>{2, 4, 64}));
}

// The caption font follows the screen's resolution, which a Windows program reads when
// it starts: the large-font layout runs in a child started at 720 dots per inch.
constexpr char LARGE_FONT_CHILD[] = "QUIESCOR_LARGE_FONT_CHILD";

TEST_F(DefaultLayout, LargeFontChild) {
    if (!GetEnvironmentVariableA(LARGE_FONT_CHILD, nullptr, 0))
        GTEST_SKIP() << "runs in the child of VeryLargeCaptionFontMakesTheWindowTaller";
    const SIZE caption = MeasureCaptions(canvas.Dc());
    const int cellH = 32 + caption.cy + 5;
    ASSERT_GT(cellH, 110) << "the font is not large: " << caption.cy;
    const SIZE size = Lay(0xFF, Program());
    EXPECT_EQ(size.cy, 198 + cellH - 110);
    const RECT first = skin.Button(0).buttonRect;
    EXPECT_EQ(first.top, 45) << "the row starts at the top of the body";
    EXPECT_EQ(skin.Button(0).captionRect.bottom, 45 + cellH);
    EXPECT_EQ(Rect(64).bottom, size.cy - 10);
}

class ScreenResolution {
public:
    explicit ScreenResolution(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
        DWORD size = sizeof previous;
        hadValue = RegQueryValueExA(key, "LogPixels", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~ScreenResolution() {
        if (hadValue)
            Set(previous);
        else
            RegDeleteValueA(key, "LogPixels");
        RegCloseKey(key);
    }
    ScreenResolution(const ScreenResolution&) = delete;
    ScreenResolution& operator=(const ScreenResolution&) = delete;

private:
    void Set(DWORD dpi) {
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    HKEY key = nullptr;
    DWORD previous = 0;
    bool hadValue = false;
};

TEST(LargeFont, VeryLargeCaptionFontMakesTheWindowTaller) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program +
                          "\" --gtest_filter=DefaultLayout.LargeFontChild --gtest_brief=1";
    SetEnvironmentVariableA(LARGE_FONT_CHILD, "1");
    DWORD exitCode = 1;
    {
        ScreenResolution large(720);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &child));
        WaitForSingleObject(child.hProcess, 60000);
        GetExitCodeProcess(child.hProcess, &exitCode);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    SetEnvironmentVariableA(LARGE_FONT_CHILD, nullptr);
    EXPECT_EQ(exitCode, 0u) << "the layout at 720 dots per inch failed: see the output above";
}

TEST(BuiltInPictures, HaveTheirSizesAndFormats) {
    struct Expected {
        int id;
        LONG width;
        LONG height;
        bool alpha;
    };
    for (const Expected& picture : {Expected{1030, 192, 96, false}, Expected{1031, 313, 198, false},
                                    Expected{1032, 187, 38, true}, Expected{1033, 48, 40, false},
                                    Expected{1035, 73, 63, true}, Expected{1037, 48, 48, true}}) {
        HRSRC resource = FindResourceA(Program(), MAKEINTRESOURCEA(picture.id), "PNG");
        ASSERT_NE(resource, nullptr) << picture.id;
        CRasterImage image;
        ASSERT_TRUE(image.LoadFromResource(resource, FormatPng, Program())) << picture.id;
        EXPECT_EQ(image.Width(), picture.width) << picture.id;
        EXPECT_EQ(image.Height(), picture.height) << picture.id;
        EXPECT_EQ(image.AlphaPlane() != nullptr, picture.alpha) << picture.id;
    }
}

// Each pixel of a drawn state equals the same pixel of the strip, decoded on its own.
TEST(SkinDrawing, ButtonStateComesFromItsBand) {
    CSkin skin;
    SIZE size;
    CCanvas canvas(64, 64, RGB(0, 0, 0));
    skin.Layout(canvas.Dc(), Program(), 0xFF, size);
    HRSRC resource = FindResourceA(Program(), MAKEINTRESOURCEA(1030), "PNG");
    CRasterImage strip;
    ASSERT_TRUE(strip.LoadFromResource(resource, FormatPng, Program()));

    const int turnOffColumn = 3;
    for (int state = 0; state < 3; ++state) {
        skin.DrawButton(canvas.Dc(), 2, state, 5, 7);
        int mismatches = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                COLORREF expected = TopDownColour(strip, turnOffColumn * 32 + x, state * 32 + y);
                mismatches += canvas.Pixel(5 + x, 7 + y) != expected;
            }
        }
        EXPECT_EQ(mismatches, 0) << "state " << state;
    }
}

TEST(SkinDrawing, TranslucentButtonBlendsOverItsPartOfTheBackground) {
    TestSkinFolder folder("Translucent");
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nRestart=r.png\n"
                                         "[points]\nRestart=20,10\n");
    // The background's left half is blue, its right half grey; the button covers blue.
    PngPicture background;
    background.width = 60;
    background.height = 40;
    background.colorType = 2;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool left = x < 35;
            for (int channel : {left ? 0 : 128, left ? 0 : 128, left ? 200 : 128})
                background.samples.push_back(static_cast<uint16_t>(channel));
        }
    }
    folder.Write("bg.png", WritePng(background));
    folder.Write("r.png", SolidPng(10, 30, RGB(255, 0, 0), 128));

    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    ASSERT_FALSE(skin.IsDefault());
    CCanvas canvas(40, 40, RGB(0, 255, 0));
    skin.DrawButton(canvas.Dc(), 4, CSkin::STATE_NORMAL, 3, 4);
    // (255 x 128 + 0 x 127) div 256 red, (200 x 127) div 256 blue, over the blue part.
    EXPECT_EQ(canvas.Pixel(3, 4), RGB(127, 0, 99));
    EXPECT_EQ(canvas.Pixel(12, 13), RGB(127, 0, 99));
    EXPECT_EQ(canvas.Pixel(13, 4), RGB(0, 255, 0)) << "nothing beyond the button";
}

TEST(SkinPreview, BuiltInSkinShowsItsBandsAndCaptions) {
    CSkin skin;
    CCanvas screen(8, 8, RGB(0, 0, 0));
    CRasterImage preview;
    ASSERT_TRUE(RenderSkinPreview(skin, screen.Dc(), Program(), preview));
    const int width = preview.Width();
    ASSERT_GT(width, 313);
    ASSERT_EQ(preview.Height(), 198);

    EXPECT_EQ(TopDownColour(preview, 200, 20), HEADER);
    EXPECT_EQ(TopDownColour(preview, 5, 42), HEADER);
    EXPECT_EQ(TopDownColour(preview, 5, 43), RGB(110, 150, 230));
    EXPECT_EQ(TopDownColour(preview, 5, 45), BODY);
    EXPECT_EQ(TopDownColour(preview, 5, 154), BODY);
    EXPECT_EQ(TopDownColour(preview, 5, 155), HEADER);
    EXPECT_EQ(TopDownColour(preview, 5, 197), HEADER);
    EXPECT_GT(CountOtherThan(preview, {0, 0, 187, 38}, HEADER), 200) << "the title";
    EXPECT_GT(CountOtherThan(preview, {width - 48, 0, width, 40}, HEADER), 200)
        << "the emblem at the right edge";
    EXPECT_EQ(CountOtherThan(preview, {190, 0, width - 48, 40}, HEADER), 0);

    // White caption text in every caption rectangle.
    for (int i = 0; i < 6; ++i) {
        const RECT& r = skin.Button(i).captionRect;
        int white = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                white += TopDownColour(preview, x, y) == RGB(255, 255, 255);
        }
        EXPECT_GT(white, 5) << PLACEMENT[i];
    }
}

TEST(SkinPreview, FolderSkinShowsItsButtonsAndNoCaptions) {
    TestSkinFolder folder("Preview");
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nTurnOff=t.png\n"
                                         "[points]\nTurnOff=10,5\n");
    folder.Write("bg.png", SolidPng(50, 30, RGB(10, 20, 30)));
    folder.Write("t.png", BandedPng(8, 4, {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)}));
    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    CCanvas screen(8, 8, RGB(0, 0, 0));
    CRasterImage preview;
    ASSERT_TRUE(RenderSkinPreview(skin, screen.Dc(), Program(), preview));
    ASSERT_EQ(preview.Width(), 50);
    ASSERT_EQ(preview.Height(), 30);
    int background = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 50; ++x) {
            const bool onButton = x >= 10 && x < 18 && y >= 5 && y < 9;
            const COLORREF expected = onButton ? RGB(200, 0, 0) : RGB(10, 20, 30);
            EXPECT_EQ(TopDownColour(preview, x, y), expected) << x << "," << y;
            background += !onButton;
        }
    }
    EXPECT_EQ(background, 50 * 30 - 32);
}

} // namespace
