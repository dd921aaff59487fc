// The skin on its own, linked into this program: the program's module holds the
// plug-in's resources and its folder holds the skins folder the tests fill.
#include "exitwnd/skin.h"
#include "skintestsupport.h"
#include "exitwnd/screenarea.h"
#include "tests/host/canvas.h"
#include "host/screenresolution.h"
#include "api/actiontable.h"
#include "tests/host/builtlanguage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr COLORREF HEADER = RGB(0, 51, 153);
constexpr COLORREF BODY = RGB(51, 102, 204);

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

// A module's caption of an action, read independently of the skin.
std::wstring Caption(HMODULE strings, LONG key) {
    return ModuleText(strings, FindAction(key)->captionId);
}

// The caption font's measure of the widest and tallest caption, taken independently.
SIZE MeasureCaptions(HDC dc, HMODULE strings) {
    HFONT font = CSkin::CreateCaptionFont();
    HGDIOBJ old = SelectObject(dc, font);
    SIZE largest = {0, 0};
    for (LONG key : PLACEMENT) {
        const std::wstring caption = Caption(strings, key);
        SIZE extent;
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
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
    // A picture that exists, but outside the skin's folder, counts as missing.
    TestSkinFolder outside("Outside");
    outside.Write("bg.png", SolidPng(30, 20, RGB(5, 5, 5)));
    TestSkinFolder climbing("Climbing");
    climbing.WriteText("quiescorskin.ini", "[images]\nBackGround=..\\Outside\\bg.png\n");

    for (const char* name : {"", "Nowhere\\quiescorskin.ini", "NoBackground\\quiescorskin.ini",
                             "MissingPicture\\quiescorskin.ini", "Climbing\\quiescorskin.ini"}) {
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
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nCancel=..\\Bare\\bg.png\n"
                                         "TurnOff=/bg.png\nRestart=C:bg.png\n");
    folder.Write("bg.png", SolidPng(30, 20, RGB(5, 5, 5)));
    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    EXPECT_FALSE(skin.IsDefault());
    EXPECT_TRUE(Keys(skin).empty()) << "not even Cancel, whose picture climbs out and back";
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

// The plug-in's own English captions, and a translation in another script, laid out on
// an English system.
struct CaptionLanguage {
    const char* name;
    HMODULE strings;
};

class CaptionScripts : public DefaultLayout {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), ENGLISH_CODE_PAGE);
        ASSERT_NE(russian.Module(), nullptr);
    }
    std::vector<CaptionLanguage> Languages() const {
        return {{"English", Program()}, {"Russian", russian.Module()}};
    }

    const CBuiltLanguage russian{"ru"};
};

// Whatever script the captions are in, on an English system too.
TEST_F(CaptionScripts, AllSixActionsFollowTheMeasuredCaptions) {
    for (const CaptionLanguage& language : Languages()) {
        SCOPED_TRACE(language.name);
        const SIZE caption = MeasureCaptions(canvas.Dc(), language.strings);
        const SIZE size = Lay(0xFF, language.strings);

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
}

// Each caption shows the module's own text: no character went through the system's code
// page on the way.
TEST_F(CaptionScripts, CaptionsAreDrawnInTheirOwnScript) {
    for (const CaptionLanguage& language : Languages()) {
        SCOPED_TRACE(language.name);
        const SIZE size = Lay(0xFF, language.strings);
        for (int i = 0; i < 6; ++i) {
            const LONG key = PLACEMENT[i];
            SCOPED_TRACE(key);
            CCanvas drawn(size.cx, size.cy, RGB(0, 0, 0));
            skin.DrawCaption(drawn.Dc(), key);
            CCanvas expected(size.cx, size.cy, RGB(0, 0, 0));
            HFONT font = CSkin::CreateCaptionFont();
            HGDIOBJ old = SelectObject(expected.Dc(), font);
            SetTextColor(expected.Dc(), RGB(255, 255, 255));
            SetBkMode(expected.Dc(), TRANSPARENT);
            RECT rect = skin.Button(i).captionRect;
            const std::wstring caption = Caption(language.strings, key);
            DrawTextW(expected.Dc(), caption.c_str(), static_cast<int>(caption.size()), &rect,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            SelectObject(expected.Dc(), old);
            DeleteObject(font);
            EXPECT_GT(expected.Count(RGB(255, 255, 255)), 10);
            EXPECT_EQ(drawn.Differing(expected), 0);
        }
    }
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

LONG Scaled(LONG length, int dpi) {
    return std::lround(length * dpi / 96.0);
}

bool Within(const RECT& inner, SIZE outer) {
    return inner.left >= 0 && inner.top >= 0 && inner.right <= outer.cx &&
           inner.bottom <= outer.cy && inner.right > inner.left && inner.bottom > inner.top;
}

// Cases named "AtScreenDpi" run at the usual resolution and again in children started
// at higher ones.
TEST_F(DefaultLayout, AtScreenDpiEveryPictureAndPlaceGrowsAndTheWindowFitsTheScreen) {
    const CScreenArea screen = CScreenArea::Of(nullptr);
    const int dpi = ScreenDpi();
    ASSERT_EQ(screen.Dpi(), dpi);
    CSkin usual;
    SIZE usualSize = {};
    usual.Layout(canvas.Dc(), Program(), 0xFF, usualSize);

    SkinFit unlimited;
    unlimited.dpi = dpi;
    SIZE size = {};
    skin.Layout(canvas.Dc(), Program(), 0xFF, size, unlimited);
    EXPECT_EQ(size.cy, Scaled(198, dpi)) << "the row still fits the body at " << dpi;
    EXPECT_EQ(CSkin::CaptionFont(dpi / 96.0).lfHeight, -Scaled(12, dpi));
    for (int i = 0; i < CSkin::MAX_BUTTONS && skin.Button(i).key; ++i) {
        const RECT& r = skin.Button(i).buttonRect;
        const RECT& base = usual.Button(i).buttonRect;
        EXPECT_EQ(r.right - r.left, Scaled(base.right - base.left, dpi)) << i;
        EXPECT_EQ(r.bottom - r.top, Scaled(base.bottom - base.top, dpi)) << i;
    }
    EXPECT_EQ(size.cx - Rect(64).right, Scaled(10, dpi)) << "Cancel's margin grows too";

    const SIZE room = screen.Fit().limit;
    skin.Layout(canvas.Dc(), Program(), 0xFF, size, screen.Fit());
    EXPECT_LE(size.cx, room.cx);
    EXPECT_LE(size.cy, room.cy);
    for (int i = 0; i < CSkin::MAX_BUTTONS && skin.Button(i).key; ++i)
        EXPECT_TRUE(Within(skin.Button(i).buttonRect, size)) << i;
}

TEST(HighResolutions, SkinCasesHoldAt144And192And720Dpi) {
    for (DWORD dpi : {144u, 192u, 720u})
        EXPECT_EQ(RunThisProgramAt(dpi, "*AtScreenDpi*"), 0) << "at " << dpi << " DPI";
}

constexpr COLORREF RED = RGB(220, 0, 0);
constexpr COLORREF GREEN = RGB(0, 200, 0);
constexpr COLORREF BLUE = RGB(0, 0, 220);
constexpr COLORREF YELLOW = RGB(230, 230, 0);
constexpr COLORREF GREY = RGB(90, 90, 90);

// Smooth filters may lose a unit to rounding even over one colour.
bool Near(COLORREF actual, COLORREF expected) {
    auto close = [](int a, int b) { return a >= b - 2 && a <= b + 2; };
    return close(GetRValue(actual), GetRValue(expected)) &&
           close(GetGValue(actual), GetGValue(expected)) &&
           close(GetBValue(actual), GetBValue(expected));
}

struct PictureFile {
    const char* name;
    Bytes bytes;
};

struct ResolutionCase {
    const char* what;
    int dpi;
    std::vector<PictureFile> extra;
    SIZE window;
    COLORREF background;
    RECT button;
    COLORREF buttonColour;
};

// A 40 x 30 red background with a button of 10 x 10 states at (4, 6), and the pictures
// for high resolutions a case adds beside them.
TEST(SkinResolution, PicturesForTheResolutionAreChosenByTheirScaleAndSize) {
    const ResolutionCase cases[] = {
        {"96 DPI", 96, {}, {40, 30}, RED, {4, 6, 14, 16}, GREY},
        {"144 DPI scales", 144, {}, {60, 45}, RED, {6, 9, 21, 24}, GREY},
        {"an exact picture",
         144,
         {{"bg@1.5x.png", SolidPng(60, 45, GREEN)}},
         {60, 45},
         GREEN,
         {6, 9, 21, 24},
         GREY},
        {"a larger one shrinks",
         144,
         {{"bg@2x.png", SolidPng(80, 60, BLUE)}},
         {60, 45},
         BLUE,
         {6, 9, 21, 24},
         GREY},
        {"the largest grows",
         192,
         {{"bg@1.5x.png", SolidPng(60, 45, GREEN)}},
         {80, 60},
         GREEN,
         {8, 12, 28, 32},
         GREY},
        {"exact before larger",
         144,
         {{"bg@1.5x.png", SolidPng(60, 45, GREEN)}, {"bg@2x.png", SolidPng(80, 60, BLUE)}},
         {60, 45},
         GREEN,
         {6, 9, 21, 24},
         GREY},
        {"a picture of the wrong size is not the skin's",
         192,
         {{"bg@2x.png", SolidPng(79, 50, BLUE)}},
         {80, 60},
         RED,
         {8, 12, 28, 32},
         GREY},
        {"button states",
         192,
         {{"t@2x.png", BandedPng(20, 20, {YELLOW, BLUE, BLUE})}},
         {80, 60},
         RED,
         {8, 12, 28, 32},
         YELLOW},
    };
    for (const ResolutionCase& c : cases) {
        TestSkinFolder folder("Resolution");
        folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nTurnOff=t.png\n"
                                             "[points]\nTurnOff=4,6\n");
        folder.Write("bg.png", SolidPng(40, 30, RED));
        folder.Write("t.png", BandedPng(10, 10, {GREY, BLUE, BLUE}));
        for (const PictureFile& file : c.extra)
            folder.Write(file.name, file.bytes);
        CSkin skin;
        skin.Load(folder.SkinName().c_str());
        SkinFit fit;
        fit.dpi = c.dpi;
        CCanvas screen(8, 8, RGB(0, 0, 0));
        CRasterImage preview;
        ASSERT_TRUE(RenderSkinPreview(skin, screen.Dc(), Program(), preview, fit)) << c.what;
        EXPECT_EQ(preview.Width(), c.window.cx) << c.what;
        EXPECT_EQ(preview.Height(), c.window.cy) << c.what;
        RECT button = {};
        skin.GetButtonRect(2, button);
        EXPECT_EQ(button, c.button) << c.what;
        const COLORREF corner = TopDownColour(preview, 1, 1);
        EXPECT_TRUE(Near(corner, c.background)) << c.what << ": " << std::hex << corner;
        const COLORREF middle = TopDownColour(preview, (button.left + button.right) / 2,
                                              (button.top + button.bottom) / 2);
        EXPECT_TRUE(Near(middle, c.buttonColour)) << c.what << ": " << std::hex << middle;
    }
}

// Whatever the skin asks for, every button ends up inside a window that fits the room.
TEST(SkinResolution, AWindowTooLargeShrinksAndATinyBackgroundStillHoldsItsButtons) {
    TestSkinFolder folder("Room");
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nCancel=c.png\n"
                                         "[points]\nCancel=3800,2800\n");
    folder.Write("bg.png", SolidPng(4000, 3000, RED));
    folder.Write("c.png", BandedPng(200, 100, {YELLOW, BLUE, BLUE}));
    CCanvas screen(8, 8, RGB(0, 0, 0));
    CSkin skin;
    skin.Load(folder.SkinName().c_str());
    SkinFit fit;
    fit.limit = {1024, 768};
    CRasterImage preview;
    ASSERT_TRUE(RenderSkinPreview(skin, screen.Dc(), Program(), preview, fit));
    EXPECT_EQ(preview.Width(), 1024) << "the whole window at a quarter and a bit";
    EXPECT_EQ(preview.Height(), 768);
    RECT cancel = {};
    ASSERT_TRUE(skin.GetButtonRect(64, cancel));
    EXPECT_TRUE(Within(cancel, {1024, 768}));
    EXPECT_EQ(cancel.right - cancel.left, 51);
    EXPECT_TRUE(Near(
        TopDownColour(preview, (cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2),
        YELLOW));

    folder.Write("bg.png", SolidPng(1, 1, RED));
    folder.WriteText("quiescorskin.ini", "[images]\nBackGround=bg.png\nCancel=c.png\n"
                                         "[points]\nCancel=10,20\n");
    folder.Write("c.png", BandedPng(30, 10, {YELLOW, BLUE, BLUE}));
    skin.Load(folder.SkinName().c_str());
    ASSERT_TRUE(RenderSkinPreview(skin, screen.Dc(), Program(), preview, fit));
    EXPECT_EQ(preview.Width(), 40);
    EXPECT_EQ(preview.Height(), 30);
    EXPECT_TRUE(Near(TopDownColour(preview, 25, 25), YELLOW));
    EXPECT_TRUE(Near(TopDownColour(preview, 2, 2), RED)) << "the background fills the rest";
}

// Captions of 254 characters from a language module are cut short, not the window widened.
TEST_F(DefaultLayout, LongCaptionsAreCutToTheRoom) {
    HMODULE longCaptions = LoadLibraryA("languages\\fit.dll");
    ASSERT_NE(longCaptions, nullptr);
    SkinFit fit;
    fit.limit = {1024, 768};
    SIZE size = {};
    skin.Layout(canvas.Dc(), longCaptions, 0xFF, size, fit);
    EXPECT_LE(size.cx, 1024);
    EXPECT_GT(size.cx, 900) << "the captions still take what room there is";
    for (int i = 0; i < CSkin::MAX_BUTTONS && skin.Button(i).key; ++i) {
        EXPECT_TRUE(Within(skin.Button(i).buttonRect, size)) << i;
        EXPECT_EQ(skin.Button(i).buttonRect.right - skin.Button(i).buttonRect.left, i < 6 ? 32 : 73)
            << "the pictures keep their size";
        EXPECT_LE(skin.Button(i).captionRect.right, size.cx) << i;
    }
    FreeLibrary(longCaptions);
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
