#include "tests/host/builtlanguage.h"
#include "tests/host/canvas.h"
#include "tooltip/markuprenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 255);
constexpr COLORREF GREEN_ICON = RGB(0, 160, 0);
constexpr COLORREF MAGENTA = RGB(255, 0, 255);

class MarkupTest : public ::testing::Test {
protected:
    MarkupTest() : renderer(GetModuleHandleA(nullptr)), canvas(400, 300) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfWeight = FW_NORMAL;
        font.lfQuality = NONANTIALIASED_QUALITY;
        // As the renderer makes its fonts, so that widths measured here are its own.
        font.lfCharSet = DEFAULT_CHARSET;
        renderer.baseFont = font;
        renderer.palette[CMarkupRenderer::textColor] = BLACK;
        SetBkMode(canvas.Dc(), TRANSPARENT);
    }

    SIZE Measure(const std::wstring& text) {
        return renderer.RenderText(canvas.Dc(), area, text.c_str(), true);
    }

    void Draw(const std::wstring& text) {
        Measure(text);
        canvas.Fill(WHITE);
        renderer.RenderText(canvas.Dc(), area, text.c_str(), false);
    }

    int Width(const std::wstring& text, LONG weight = FW_NORMAL) const {
        LOGFONTW styled = font;
        styled.lfWeight = weight;
        Font made(CreateFontIndirectW(&styled));
        Selection selection(canvas.Dc(), made.Get());
        SIZE size = {};
        GetTextExtentPoint32W(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    int LineHeight() const {
        Font made(CreateFontIndirectW(&font));
        Selection selection(canvas.Dc(), made.Get());
        TEXTMETRICW metrics = {};
        GetTextMetricsW(canvas.Dc(), &metrics);
        return metrics.tmHeight;
    }

    std::set<COLORREF> Ink() const {
        std::set<COLORREF> colours;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                colours.insert(canvas.Pixel(x, y));
        colours.erase(WHITE);
        return colours;
    }

    const std::vector<int>& Widths() const { return renderer.Layout().lineWidths; }
    const std::vector<int>& Heights() const { return renderer.Layout().lineHeights; }

    CMarkupRenderer renderer;
    CCanvas canvas;
    LOGFONTW font = {};
    RECT area = {0, 0, 200, 300};
};

void ExpectSize(SIZE size, int cx, int cy, const std::wstring& what) {
    EXPECT_EQ(size.cx, cx) << what;
    EXPECT_EQ(size.cy, cy) << what;
}

TEST_F(MarkupTest, EmptyTextTakesNoRoomAndDrawsNothing) {
    ExpectSize(Measure(L""), 0, 0, L"empty");
    EXPECT_TRUE(Widths().empty());
    EXPECT_EQ(renderer.Layout().tabStops, std::vector<int>{0});
    Draw(L"");
    EXPECT_TRUE(Ink().empty());
}

TEST_F(MarkupTest, LineBreaksAndTheClosingLine) {
    const int tm = LineHeight();
    const int a = Width(L"a");
    ExpectSize(Measure(L"a"), a, tm, L"one line");
    for (const wchar_t* text : {L"a<br>b", L"a<br=0>b", L"a\nb", L"a\r\nb", L"a<BR>\rb"})
        ExpectSize(Measure(text), a, 2 * tm, text);
    ExpectSize(Measure(L"a<br>"), a, 2 * tm, L"trailing break");
    EXPECT_EQ(Heights(), (std::vector<int>{tm, tm}));
    EXPECT_EQ(Widths(), (std::vector<int>{a, 0}));
    ExpectSize(Measure(L"a<br=3>b"), a, 4 * tm, L"three line heights");
    EXPECT_EQ(Widths().size(), 2u);
    // However the text ends, its last line is closed.
    ExpectSize(Measure(L"abc<b"), Width(L"abc"), tm, L"unfinished tag");
    ExpectSize(Measure(L"abc<b>\r"), Width(L"abc"), tm, L"tag then carriage return");
    ExpectSize(Measure(L"<b>"), 0, tm, L"tag only");
}

// A line feed or a tab in the text is its tag, and what follows it is text again, even
// when it looks like a tag's value.
TEST_F(MarkupTest, LineFeedsAndTabsInTheTextReadNoValue) {
    const struct {
        const wchar_t* inText;
        const wchar_t* tagged;
    } cases[] = {
        {L"a\n=3 b", L"a<br>=3 b"}, {L"a\t=5 b", L"a<t>=5 b"}, {L"a\t\n=1", L"a<T><BR>=1"}};
    for (const auto& c : cases) {
        const SIZE tagged = Measure(c.tagged);
        const std::vector<int> taggedWidths = Widths();
        ExpectSize(Measure(c.inText), tagged.cx, tagged.cy, c.inText);
        EXPECT_EQ(Widths(), taggedWidths) << c.inText;
    }
    EXPECT_EQ(Measure(L"a\n=3 b").cx, Width(L"=3 b"));
}

TEST_F(MarkupTest, EscapesLiteralsAndLeadingSpace) {
    EXPECT_EQ(Measure(L"<<b>").cx, Width(L"<b>"));
    EXPECT_EQ(Measure(L"a > b").cx, Width(L"a > b"));
    EXPECT_EQ(Measure(L"<b>A</b> B").cx, Width(L"A", 800) + Width(L"B"));
    EXPECT_EQ(Measure(L"<b><b>A</b>B").cx, Width(L"A", 800) + Width(L"B"));
    EXPECT_EQ(Measure(L"<i><i>AB").cx, Measure(L"<i>AB").cx);
    renderer.baseFont.lfWeight = 0;
    EXPECT_EQ(Measure(L"<b>AB").cx, Measure(L"AB").cx);
}

TEST_F(MarkupTest, RunsWrapAtSpacesAndPunctuation) {
    renderer.maxTextWidth = Width(L"Windows");
    Measure(L"Windows, x");
    EXPECT_EQ(Widths(), (std::vector<int>{Width(L"Windows"), Width(L", x")}));

    renderer.maxTextWidth = Width(L"aaa bbb");
    Measure(L"aaa bbbbbbbbbbbb");
    ASSERT_GE(Widths().size(), 2u);
    EXPECT_EQ(Widths()[0], Width(L"aaa"));
    const int second = Widths()[1];
    bool startsWithB = false;
    for (int k = 1; k <= 12; ++k)
        startsWithB |= second == Width(std::wstring(k, L'b'));
    EXPECT_TRUE(startsWithB) << "the continuation line lost its leading space";

    // Each run wraps from its own start, so a bold and a plain run may share a line.
    renderer.maxTextWidth = Width(L"xxxx", 800);
    EXPECT_EQ(Measure(L"<b>xxxx</b>yyyy").cx, Width(L"xxxx", 800) + Width(L"yyyy"));
    EXPECT_EQ(Widths().size(), 1u);
}

TEST_F(MarkupTest, TooNarrowForOneCharacterStillMakesProgress) {
    for (int width : {1, 0, -50}) {
        renderer.maxTextWidth = width;
        Measure(L"abc");
        EXPECT_EQ(Widths(), (std::vector<int>{Width(L"a"), Width(L"b"), Width(L"c")})) << width;
    }
}

TEST_F(MarkupTest, ExitWindowTextLaysOutTitleRuleAndParagraph) {
    const std::wstring text = L"<b>Restart computer (R)</b><br><hr=100%><br>Ends your session, "
                              L"shuts down Windows, and starts Windows again.";
    const SIZE size = Measure(text);
    const int title = Width(L"Restart computer (R)", 800);
    ASSERT_GE(Widths().size(), 4u);
    EXPECT_EQ(Widths()[0], title);
    EXPECT_EQ(Widths()[1], size.cx);
    int widest = title;
    for (size_t k = 2; k < Widths().size(); ++k) {
        EXPECT_LE(Widths()[k], 300);
        widest = std::max(widest, Widths()[k]);
    }
    EXPECT_EQ(size.cx, widest);

    area = {0, 0, size.cx, size.cy};
    Draw(text);
    const int ruleY = Heights()[0] + Heights()[1] / 2;
    for (LONG x : {0L, size.cx / 2, size.cx - 1})
        EXPECT_EQ(canvas.Pixel(x, ruleY), BLACK) << x;
    EXPECT_EQ(canvas.Pixel(size.cx, ruleY), WHITE);
}

TEST_F(MarkupTest, RulesInPixelsAndPercent) {
    const int tm = LineHeight();
    ExpectSize(Measure(L"<hr>"), 100, tm, L"default rule");
    Draw(L"<hr>");
    EXPECT_EQ(canvas.ExtentOf(BLACK), (RECT{0, tm / 2, 100, tm / 2 + 1}));

    const int line = Width(L"abcdefgh");
    ExpectSize(Measure(L"abcdefgh<br><hr=50%>"), line, 2 * tm, L"percent rule takes no width");
    EXPECT_EQ(Widths()[1], (line + 1) / 2);
    Draw(L"<ct=FF0000><hr=50%>");
    EXPECT_EQ(canvas.ExtentOf(RED), (RECT{0, tm / 2, 100, tm / 2 + 1}));

    // A rule that starts an aligned line is aligned with the line, ahead of its text.
    for (const wchar_t* aligned : {L"<al_c>", L"<al_r>"}) {
        const std::wstring text = std::wstring(aligned) + L"<ct=FF0000><hr=50%></ct>abc";
        Draw(text);
        const RECT rule = canvas.ExtentOf(RED);
        const RECT ink = canvas.ExtentOf(BLACK);
        EXPECT_EQ(rule.right - rule.left, 100) << text;
        EXPECT_LE(rule.right, ink.left) << text;
        EXPECT_GT(rule.left, 0) << text;
    }
}

TEST_F(MarkupTest, TabColumnsAreSharedByAllLines) {
    const std::wstring text = L"a<t><ct=FF0000>b</ct><br>aaaaaaaa<t><ct=FF0000>b";
    Measure(text);
    const int column = Width(L"aaaaaaaa") + Width(L"   ");
    EXPECT_EQ(renderer.Layout().tabStops[0], column);
    Draw(text);
    const int tm = LineHeight();
    const LONG first = canvas.ExtentOf(RED, {0, 0, 400, tm}).left;
    EXPECT_GE(first, column);
    EXPECT_EQ(first, canvas.ExtentOf(RED, {0, tm, 400, 2 * tm}).left);
    EXPECT_EQ(Measure(L"a\tb").cx, Measure(L"a<t=7>b").cx);

    // Every column keeps three spaces from the widest use of the one before, also when a
    // line ends in that column or a later line widens it.
    const int gap = Width(L"   ");
    const std::wstring columns = L"a<t>bbbbbbbb<br>c<t>d<t>e<br>a<t>bb<t>c<br>aaaaaaaaaaaa<t>d";
    const SIZE size = Measure(columns);
    const std::vector<int> stops = renderer.Layout().tabStops;
    ASSERT_GE(stops.size(), 2u);
    EXPECT_EQ(stops[0], Width(L"aaaaaaaaaaaa") + gap);
    EXPECT_EQ(stops[1], stops[0] + Width(L"bbbbbbbb") + gap);
    EXPECT_EQ(Widths()[2], stops[1] + Width(L"c")) << "measured as it will be drawn";
    EXPECT_EQ(size.cx, std::max(Widths()[1], Widths()[2]));

    // An aligned line moves with its tab columns.
    Draw(L"<al_c>a<t><ct=FF0000>b");
    const RECT a = canvas.ExtentOf(BLACK);
    const RECT b = canvas.ExtentOf(RED);
    EXPECT_GT(a.left, 0);
    EXPECT_GE(b.left - a.left, Width(L"a") + gap - 1);
}

TEST_F(MarkupTest, AlignmentMovesPicturesAndWrappedLinesWhenDrawing) {
    const SIZE left = Measure(L"<bmp=102>");
    EXPECT_EQ(Measure(L"<al_r><bmp=102>").cx, left.cx);
    Draw(L"<al_r><bmp=102><br><al_c><bmp=102><br><al_l><bmp=102>");
    const int tm = LineHeight();
    const int bottom = std::max(tm, 4);
    EXPECT_EQ(canvas.Pixel(area.right - 8, bottom - 1), BLUE);
    EXPECT_EQ(canvas.Pixel(area.right - 9, bottom - 1), WHITE);
    EXPECT_EQ(canvas.Pixel(96, 2 * bottom - 1), BLUE);
    EXPECT_EQ(canvas.Pixel(95, 2 * bottom - 1), WHITE);
    EXPECT_EQ(canvas.Pixel(0, 3 * bottom - 1), BLUE);

    renderer.maxTextWidth = Width(L"aaaa b");
    Draw(L"<al_r>aaaa bbbbbbbbbbbbbbbb");
    ASSERT_GE(Widths().size(), 2u);
    for (int k = 0; k < 2; ++k) {
        const RECT ink = canvas.ExtentOf(BLACK, {0, k * tm, area.right, (k + 1) * tm});
        EXPECT_GE(ink.right, area.right - 2) << "line " << k;
        EXPECT_LE(ink.right, area.right) << "line " << k;
    }
}

TEST_F(MarkupTest, TextAndBackgroundColours) {
    struct Case {
        const wchar_t* text;
        COLORREF ink;
    };
    const Case cases[] = {
        {L"<ct=FF0000>x", RED},          {L"<ct=0x0000FF>x", RED}, {L"<ct=0xFF0000>x", BLUE},
        {L"<ct=FF0000></ct>x", BLACK},   {L"<cti=11>x", RED},      {L"<ct=00FF00><cti=17>x", BLACK},
        {L"<ct=0000FF><cti=26>x", BLUE}, {L"<CT=ff0000>x", RED},
    };
    for (const Case& c : cases) {
        Draw(c.text);
        EXPECT_EQ(Ink(), std::set<COLORREF>{c.ink}) << c.text;
    }
    Draw(L"<cb=FFFF00>x</cb>yyyy");
    const RECT yellow = canvas.ExtentOf(RGB(255, 255, 0));
    EXPECT_EQ(yellow.left, 0);
    EXPECT_EQ(yellow.right, Width(L"x"));
    EXPECT_GT(canvas.ExtentOf(BLACK).right, Width(L"x"));
    Draw(L"<cbi=13>x<cbi=99>y");
    EXPECT_EQ(canvas.ExtentOf(RGB(255, 255, 0)).right, Width(L"xy"));
}

TEST_F(MarkupTest, ResourcePictures) {
    const int tm = LineHeight();
    const int line = std::max(tm, 16);
    ExpectSize(Measure(L"<icon=101>"), 16, line, L"icon");
    Draw(L"<icon=101>");
    EXPECT_EQ(canvas.ExtentOf(GREEN_ICON), (RECT{0, line - 16, 16, line}));
    ExpectSize(Measure(L"<icon=101 cx=32 cy=32>"), 32, std::max(tm, 32), L"icon at 32");

    ExpectSize(Measure(L"<bmp=102 mask cx=32 cy=16>"), 32, line, L"stretched bitmap");
    Draw(L"<bmp=102 mask cx=32 cy=16>");
    EXPECT_EQ(canvas.ExtentOf(BLUE), (RECT{0, line - 16, 16, line}));
    EXPECT_EQ(canvas.Count(MAGENTA), 0);
    Draw(L"<bmp=102>");
    EXPECT_EQ(canvas.ExtentOf(MAGENTA), (RECT{4, std::max(tm, 4) - 4, 8, std::max(tm, 4)}));
    EXPECT_EQ(Measure(L"<bmp=102 foo=1 cx=32>").cx, 8);
    EXPECT_EQ(Measure(L"<bmp=102 mask=0x00FF00 cy=2 cx=3>").cx, 3);

    for (const wchar_t* missing :
         {L"<icon=70000>", L"<icon=65637>", L"<icon>", L"<bmp=999>", L"<bmp=0x10066>"})
        ExpectSize(Measure(missing), 0, tm, missing);
}

TEST_F(MarkupTest, ImageListAndNamedPictures) {
    const int tm = LineHeight();
    EXPECT_EQ(Measure(L"<ilst=0>").cx, 0);
    ImageListOwner list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    IconHandle icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0)));
    ImageList_AddIcon(list.Get(), icon.Get());
    renderer.SetImageList(list.Get(), 16, 16);
    ExpectSize(Measure(L"<ilst=0>"), 16, std::max(tm, 16), L"first image");
    EXPECT_EQ(Measure(L"<ilst=1>").cx, 0);
    Draw(L"<ilst>");
    EXPECT_EQ(canvas.ExtentOf(GREEN_ICON), (RECT{0, 0, 16, 16}));

    renderer.AddNamedImage({L"Leaf", 101, 0, 0});
    renderer.AddNamedImage({L"bar", 102, 2, RGB(255, 0, 255)});
    renderer.AddNamedImage({L"none", 0, 0, 0});
    renderer.AddNamedImage({L"odd", 101, 7, 0});
    EXPECT_EQ(Measure(L"<img=LEAF>").cx, 16);
    EXPECT_EQ(Measure(L"<img=bar cx=20>").cx, 20);
    Draw(L"<img=bar>");
    EXPECT_EQ(canvas.Count(MAGENTA), 0);
    EXPECT_EQ(canvas.Count(BLUE), 16);
    for (const wchar_t* missing : {L"<img=nothing>", L"<img=none>", L"<img=odd>", L"<img>"})
        EXPECT_EQ(Measure(missing).cx, 0) << missing;
}

TEST_F(MarkupTest, HostileNumbersStayBounded) {
    EXPECT_LE(Measure(L"<hr=4294967295>").cx, 32767);
    EXPECT_LE(Measure(L"a<br=4294967295>b").cy, 32768 * LineHeight());
    const SIZE huge = Measure(L"<icon=101 cx=4294967295 cy=99999>");
    EXPECT_LE(huge.cx, 1024);
    EXPECT_LE(huge.cy, 1024);
    Draw(L"<hr=4294967295%>x");
    Draw(L"<bmp=102 cx=4000000000 cy=3>");
    EXPECT_LE(Measure(L"<bmp=102 cx=4000000000 cy=3>").cx, 1024);
}

// Texts built from random fragments, many of them malformed, must terminate with tables
// that agree with each other, and draw without fault, also from mismatched tables.
TEST_F(MarkupTest, RandomFragmentsTerminateWithConsistentTables) {
    const wchar_t* pieces[] = {L"<",      L"<<",     L">",         L"b",     L"</b>",
                               L"<br=",   L"2",      L"0x",        L"%",     L"\t",
                               L"\n",     L"\r",     L" ",         L"=",     L"<hr",
                               L"<t",     L"<ct=",   L"FFG",       L"<cti=", L"<cbi=25>",
                               L"<al_c>", L"<al_r>", L"<icon=101", L" cx=",  L"<bmp=102 mask",
                               L"<img=x", L"<ilst=", L"Windows,",  L"word ", L"4294967295",
                               L"<i>",    L"<u>",    L"<s>",       L"</cb>"};
    srand(7);
    renderer.maxTextWidth = 40;
    for (int round = 0; round < 300; ++round) {
        std::wstring text;
        const int count = rand() % 30;
        for (int k = 0; k < count; ++k)
            text += pieces[rand() % (sizeof pieces / sizeof *pieces)];
        const SIZE size = Measure(text);
        if (text.empty())
            continue;
        ASSERT_EQ(Widths().size(), Heights().size()) << text;
        ASSERT_FALSE(Widths().empty()) << text;
        EXPECT_GE(size.cx, 0) << text;
        EXPECT_GE(size.cy, 0) << text;
        renderer.RenderText(canvas.Dc(), area, text.c_str(), false);
        renderer.RenderText(canvas.Dc(), area, (text + L"\n<t><t><al_c>x<br>y").c_str(), false);
    }
}

// On any system locale a tooltip in another script shows its own letters, measured as
// the system measures them, where an ANSI one showed question marks.
TEST_F(MarkupTest, OtherScriptsDrawTheirOwnGlyphs) {
    ASSERT_EQ(GetACP(), ENGLISH_CODE_PAGE) << "a code page without these scripts";
    const struct {
        const char* script;
        const wchar_t* text;
    } cases[] = {
        {"Cyrillic", L"\u041f\u0435\u0440\u0435\u0437\u0430\u0433\u0440\u0443\u0437\u043a\u0430"},
        {"Greek", L"\u0395\u03c0\u03b1\u03bd\u03b5\u03ba\u03ba\u03af\u03bd\u03b7\u03c3\u03b7"},
    };
    for (const auto& c : cases) {
        const std::wstring text = c.text;
        EXPECT_EQ(Measure(text).cx, Width(text)) << c.script;
        EXPECT_EQ(Measure(L"<b>" + text).cx, Width(text, 800)) << c.script;
        Draw(text);
        const std::vector<COLORREF> drawn = canvas.Pixels();
        Draw(std::wstring(text.size(), L'?'));
        EXPECT_NE(drawn, canvas.Pixels()) << c.script;
        EXPECT_FALSE(Ink().empty()) << c.script;
    }
}

// A character beyond the basic plane takes two UTF-16 units; however narrow the lines,
// each holds whole characters, and every character is placed once.
TEST_F(MarkupTest, NarrowLinesNeverBreakInsideASurrogatePair) {
    const std::wstring boldA = L"\U0001D400";
    const std::wstring smile = L"\U0001F600";
    const struct {
        std::wstring character;
        std::wstring separator;
    } cases[] = {{boldA, L""}, {smile, L""}, {boldA, L" "}, {smile, L"\u03b1"}};
    for (const auto& c : cases) {
        std::vector<std::wstring> characters;
        std::wstring text;
        for (int k = 0; k < 12; ++k) {
            for (const std::wstring& character : {c.character, c.separator}) {
                if (!character.empty())
                    characters.push_back(character);
                text += character;
            }
        }
        const int width = Width(c.character + c.separator);
        for (int maxWidth : {1, width + 1, 3 * width + width / 2}) {
            renderer.maxTextWidth = maxWidth;
            Measure(text);
            size_t next = 0;
            for (int line : Widths()) {
                // A line's leading space is dropped.
                while (next < characters.size() && characters[next] == L" ")
                    ++next;
                std::wstring taken;
                while (next < characters.size() && Width(taken) < line)
                    taken += characters[next++];
                EXPECT_EQ(Width(taken), line) << "a line ends inside a character at " << maxWidth;
            }
            EXPECT_EQ(next, characters.size()) << "every character is placed once at " << maxWidth;
            Draw(text);
        }
    }
}

} // namespace
