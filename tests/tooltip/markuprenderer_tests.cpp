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
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfWeight = FW_NORMAL;
        font.lfQuality = NONANTIALIASED_QUALITY;
        renderer.baseFont = font;
        renderer.palette[CMarkupRenderer::textColor] = BLACK;
        SetBkMode(canvas.Dc(), TRANSPARENT);
    }

    SIZE Measure(const std::string& text) {
        return renderer.RenderText(canvas.Dc(), area, text.c_str(), true);
    }

    void Draw(const std::string& text) {
        Measure(text);
        canvas.Fill(WHITE);
        renderer.RenderText(canvas.Dc(), area, text.c_str(), false);
    }

    int Width(const std::string& text, LONG weight = FW_NORMAL) const {
        LOGFONTA styled = font;
        styled.lfWeight = weight;
        Font made(CreateFontIndirectA(&styled));
        Selection selection(canvas.Dc(), made.Get());
        SIZE size = {};
        GetTextExtentPoint32A(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    int LineHeight() const {
        Font made(CreateFontIndirectA(&font));
        Selection selection(canvas.Dc(), made.Get());
        TEXTMETRICA metrics = {};
        GetTextMetricsA(canvas.Dc(), &metrics);
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
    LOGFONTA font = {};
    RECT area = {0, 0, 200, 300};
};

void ExpectSize(SIZE size, int cx, int cy, const std::string& what) {
    EXPECT_EQ(size.cx, cx) << what;
    EXPECT_EQ(size.cy, cy) << what;
}

TEST_F(MarkupTest, EmptyTextTakesNoRoomAndDrawsNothing) {
    ExpectSize(Measure(""), 0, 0, "empty");
    EXPECT_TRUE(Widths().empty());
    EXPECT_EQ(renderer.Layout().tabStops, std::vector<int>{0});
    Draw("");
    EXPECT_TRUE(Ink().empty());
}

TEST_F(MarkupTest, LineBreaksAndTheClosingLine) {
    const int tm = LineHeight();
    const int a = Width("a");
    ExpectSize(Measure("a"), a, tm, "one line");
    for (const char* text : {"a<br>b", "a<br=0>b", "a\nb", "a\r\nb", "a<BR>\rb"})
        ExpectSize(Measure(text), a, 2 * tm, text);
    ExpectSize(Measure("a<br>"), a, 2 * tm, "trailing break");
    EXPECT_EQ(Heights(), (std::vector<int>{tm, tm}));
    EXPECT_EQ(Widths(), (std::vector<int>{a, 0}));
    ExpectSize(Measure("a<br=3>b"), a, 4 * tm, "three line heights");
    EXPECT_EQ(Widths().size(), 2u);
    // However the text ends, its last line is closed.
    ExpectSize(Measure("abc<b"), Width("abc"), tm, "unfinished tag");
    ExpectSize(Measure("abc<b>\r"), Width("abc"), tm, "tag then carriage return");
    ExpectSize(Measure("<b>"), 0, tm, "tag only");
}

// A line feed or a tab in the text is its tag, and what follows it is text again, even
// when it looks like a tag's value.
TEST_F(MarkupTest, LineFeedsAndTabsInTheTextReadNoValue) {
    const struct {
        const char* inText;
        const char* tagged;
    } cases[] = {{"a\n=3 b", "a<br>=3 b"}, {"a\t=5 b", "a<t>=5 b"}, {"a\t\n=1", "a<T><BR>=1"}};
    for (const auto& c : cases) {
        const SIZE tagged = Measure(c.tagged);
        const std::vector<int> taggedWidths = Widths();
        ExpectSize(Measure(c.inText), tagged.cx, tagged.cy, c.inText);
        EXPECT_EQ(Widths(), taggedWidths) << c.inText;
    }
    EXPECT_EQ(Measure("a\n=3 b").cx, Width("=3 b"));
}

TEST_F(MarkupTest, EscapesLiteralsAndLeadingSpace) {
    EXPECT_EQ(Measure("<<b>").cx, Width("<b>"));
    EXPECT_EQ(Measure("a > b").cx, Width("a > b"));
    EXPECT_EQ(Measure("<b>A</b> B").cx, Width("A", 800) + Width("B"));
    EXPECT_EQ(Measure("<b><b>A</b>B").cx, Width("A", 800) + Width("B"));
    EXPECT_EQ(Measure("<i><i>AB").cx, Measure("<i>AB").cx);
    renderer.baseFont.lfWeight = 0;
    EXPECT_EQ(Measure("<b>AB").cx, Measure("AB").cx);
}

TEST_F(MarkupTest, RunsWrapAtSpacesAndPunctuation) {
    renderer.maxTextWidth = Width("Windows");
    Measure("Windows, x");
    EXPECT_EQ(Widths(), (std::vector<int>{Width("Windows"), Width(", x")}));

    renderer.maxTextWidth = Width("aaa bbb");
    Measure("aaa bbbbbbbbbbbb");
    ASSERT_GE(Widths().size(), 2u);
    EXPECT_EQ(Widths()[0], Width("aaa"));
    const int second = Widths()[1];
    bool startsWithB = false;
    for (int k = 1; k <= 12; ++k)
        startsWithB |= second == Width(std::string(k, 'b'));
    EXPECT_TRUE(startsWithB) << "the continuation line lost its leading space";

    // Each run wraps from its own start, so a bold and a plain run may share a line.
    renderer.maxTextWidth = Width("xxxx", 800);
    EXPECT_EQ(Measure("<b>xxxx</b>yyyy").cx, Width("xxxx", 800) + Width("yyyy"));
    EXPECT_EQ(Widths().size(), 1u);
}

TEST_F(MarkupTest, TooNarrowForOneCharacterStillMakesProgress) {
    for (int width : {1, 0, -50}) {
        renderer.maxTextWidth = width;
        Measure("abc");
        EXPECT_EQ(Widths(), (std::vector<int>{Width("a"), Width("b"), Width("c")})) << width;
    }
}

TEST_F(MarkupTest, ExitWindowTextLaysOutTitleRuleAndParagraph) {
    const std::string text = "<b>Restart computer (R)</b><br><hr=100%><br>Ends your session, "
                             "shuts down Windows, and starts Windows again.";
    const SIZE size = Measure(text);
    const int title = Width("Restart computer (R)", 800);
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
    ExpectSize(Measure("<hr>"), 100, tm, "default rule");
    Draw("<hr>");
    EXPECT_EQ(canvas.ExtentOf(BLACK), (RECT{0, tm / 2, 100, tm / 2 + 1}));

    const int line = Width("abcdefgh");
    ExpectSize(Measure("abcdefgh<br><hr=50%>"), line, 2 * tm, "percent rule takes no width");
    EXPECT_EQ(Widths()[1], (line + 1) / 2);
    Draw("<ct=FF0000><hr=50%>");
    EXPECT_EQ(canvas.ExtentOf(RED), (RECT{0, tm / 2, 100, tm / 2 + 1}));

    // A rule that starts an aligned line is aligned with the line, ahead of its text.
    for (const char* aligned : {"<al_c>", "<al_r>"}) {
        const std::string text = std::string(aligned) + "<ct=FF0000><hr=50%></ct>abc";
        Draw(text);
        const RECT rule = canvas.ExtentOf(RED);
        const RECT ink = canvas.ExtentOf(BLACK);
        EXPECT_EQ(rule.right - rule.left, 100) << text;
        EXPECT_LE(rule.right, ink.left) << text;
        EXPECT_GT(rule.left, 0) << text;
    }
}

TEST_F(MarkupTest, TabColumnsAreSharedByAllLines) {
    const std::string text = "a<t><ct=FF0000>b</ct><br>aaaaaaaa<t><ct=FF0000>b";
    Measure(text);
    const int column = Width("aaaaaaaa") + Width("   ");
    EXPECT_EQ(renderer.Layout().tabStops[0], column);
    Draw(text);
    const int tm = LineHeight();
    const LONG first = canvas.ExtentOf(RED, {0, 0, 400, tm}).left;
    EXPECT_GE(first, column);
    EXPECT_EQ(first, canvas.ExtentOf(RED, {0, tm, 400, 2 * tm}).left);
    EXPECT_EQ(Measure("a\tb").cx, Measure("a<t=7>b").cx);

    // Every column keeps three spaces from the widest use of the one before, also when a
    // line ends in that column or a later line widens it.
    const int gap = Width("   ");
    const std::string columns = "a<t>bbbbbbbb<br>c<t>d<t>e<br>a<t>bb<t>c<br>aaaaaaaaaaaa<t>d";
    const SIZE size = Measure(columns);
    const std::vector<int> stops = renderer.Layout().tabStops;
    ASSERT_GE(stops.size(), 2u);
    EXPECT_EQ(stops[0], Width("aaaaaaaaaaaa") + gap);
    EXPECT_EQ(stops[1], stops[0] + Width("bbbbbbbb") + gap);
    EXPECT_EQ(Widths()[2], stops[1] + Width("c")) << "measured as it will be drawn";
    EXPECT_EQ(size.cx, std::max(Widths()[1], Widths()[2]));

    // An aligned line moves with its tab columns.
    Draw("<al_c>a<t><ct=FF0000>b");
    const RECT a = canvas.ExtentOf(BLACK);
    const RECT b = canvas.ExtentOf(RED);
    EXPECT_GT(a.left, 0);
    EXPECT_GE(b.left - a.left, Width("a") + gap - 1);
}

TEST_F(MarkupTest, AlignmentMovesPicturesAndWrappedLinesWhenDrawing) {
    const SIZE left = Measure("<bmp=102>");
    EXPECT_EQ(Measure("<al_r><bmp=102>").cx, left.cx);
    Draw("<al_r><bmp=102><br><al_c><bmp=102><br><al_l><bmp=102>");
    const int tm = LineHeight();
    const int bottom = std::max(tm, 4);
    EXPECT_EQ(canvas.Pixel(area.right - 8, bottom - 1), BLUE);
    EXPECT_EQ(canvas.Pixel(area.right - 9, bottom - 1), WHITE);
    EXPECT_EQ(canvas.Pixel(96, 2 * bottom - 1), BLUE);
    EXPECT_EQ(canvas.Pixel(95, 2 * bottom - 1), WHITE);
    EXPECT_EQ(canvas.Pixel(0, 3 * bottom - 1), BLUE);

    renderer.maxTextWidth = Width("aaaa b");
    Draw("<al_r>aaaa bbbbbbbbbbbbbbbb");
    ASSERT_GE(Widths().size(), 2u);
    for (int k = 0; k < 2; ++k) {
        const RECT ink = canvas.ExtentOf(BLACK, {0, k * tm, area.right, (k + 1) * tm});
        EXPECT_GE(ink.right, area.right - 2) << "line " << k;
        EXPECT_LE(ink.right, area.right) << "line " << k;
    }
}

TEST_F(MarkupTest, TextAndBackgroundColours) {
    struct Case {
        const char* text;
        COLORREF ink;
    };
    const Case cases[] = {
        {"<ct=FF0000>x", RED},          {"<ct=0x0000FF>x", RED}, {"<ct=0xFF0000>x", BLUE},
        {"<ct=FF0000></ct>x", BLACK},   {"<cti=11>x", RED},      {"<ct=00FF00><cti=17>x", BLACK},
        {"<ct=0000FF><cti=26>x", BLUE}, {"<CT=ff0000>x", RED},
    };
    for (const Case& c : cases) {
        Draw(c.text);
        EXPECT_EQ(Ink(), std::set<COLORREF>{c.ink}) << c.text;
    }
    Draw("<cb=FFFF00>x</cb>yyyy");
    const RECT yellow = canvas.ExtentOf(RGB(255, 255, 0));
    EXPECT_EQ(yellow.left, 0);
    EXPECT_EQ(yellow.right, Width("x"));
    EXPECT_GT(canvas.ExtentOf(BLACK).right, Width("x"));
    Draw("<cbi=13>x<cbi=99>y");
    EXPECT_EQ(canvas.ExtentOf(RGB(255, 255, 0)).right, Width("xy"));
}

TEST_F(MarkupTest, ResourcePictures) {
    const int tm = LineHeight();
    const int line = std::max(tm, 16);
    ExpectSize(Measure("<icon=101>"), 16, line, "icon");
    Draw("<icon=101>");
    EXPECT_EQ(canvas.ExtentOf(GREEN_ICON), (RECT{0, line - 16, 16, line}));
    ExpectSize(Measure("<icon=101 cx=32 cy=32>"), 32, std::max(tm, 32), "icon at 32");

    ExpectSize(Measure("<bmp=102 mask cx=32 cy=16>"), 32, line, "stretched bitmap");
    Draw("<bmp=102 mask cx=32 cy=16>");
    EXPECT_EQ(canvas.ExtentOf(BLUE), (RECT{0, line - 16, 16, line}));
    EXPECT_EQ(canvas.Count(MAGENTA), 0);
    Draw("<bmp=102>");
    EXPECT_EQ(canvas.ExtentOf(MAGENTA), (RECT{4, std::max(tm, 4) - 4, 8, std::max(tm, 4)}));
    EXPECT_EQ(Measure("<bmp=102 foo=1 cx=32>").cx, 8);
    EXPECT_EQ(Measure("<bmp=102 mask=0x00FF00 cy=2 cx=3>").cx, 3);

    for (const char* missing :
         {"<icon=70000>", "<icon=65637>", "<icon>", "<bmp=999>", "<bmp=0x10066>"})
        ExpectSize(Measure(missing), 0, tm, missing);
}

TEST_F(MarkupTest, ImageListAndNamedPictures) {
    const int tm = LineHeight();
    EXPECT_EQ(Measure("<ilst=0>").cx, 0);
    ImageListOwner list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    IconHandle icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0)));
    ImageList_AddIcon(list.Get(), icon.Get());
    renderer.SetImageList(list.Get(), 16, 16);
    ExpectSize(Measure("<ilst=0>"), 16, std::max(tm, 16), "first image");
    EXPECT_EQ(Measure("<ilst=1>").cx, 0);
    Draw("<ilst>");
    EXPECT_EQ(canvas.ExtentOf(GREEN_ICON), (RECT{0, 0, 16, 16}));

    renderer.AddNamedImage({"Leaf", 101, 0, 0});
    renderer.AddNamedImage({"bar", 102, 2, RGB(255, 0, 255)});
    renderer.AddNamedImage({"none", 0, 0, 0});
    renderer.AddNamedImage({"odd", 101, 7, 0});
    EXPECT_EQ(Measure("<img=LEAF>").cx, 16);
    EXPECT_EQ(Measure("<img=bar cx=20>").cx, 20);
    Draw("<img=bar>");
    EXPECT_EQ(canvas.Count(MAGENTA), 0);
    EXPECT_EQ(canvas.Count(BLUE), 16);
    for (const char* missing : {"<img=nothing>", "<img=none>", "<img=odd>", "<img>"})
        EXPECT_EQ(Measure(missing).cx, 0) << missing;
}

TEST_F(MarkupTest, HostileNumbersStayBounded) {
    EXPECT_LE(Measure("<hr=4294967295>").cx, 32767);
    EXPECT_LE(Measure("a<br=4294967295>b").cy, 32768 * LineHeight());
    const SIZE huge = Measure("<icon=101 cx=4294967295 cy=99999>");
    EXPECT_LE(huge.cx, 1024);
    EXPECT_LE(huge.cy, 1024);
    Draw("<hr=4294967295%>x");
    Draw("<bmp=102 cx=4000000000 cy=3>");
    EXPECT_LE(Measure("<bmp=102 cx=4000000000 cy=3>").cx, 1024);
}

// Texts built from random fragments, many of them malformed, must terminate with tables
// that agree with each other, and draw without fault, also from mismatched tables.
TEST_F(MarkupTest, RandomFragmentsTerminateWithConsistentTables) {
    const char* pieces[] = {"<",      "<<",     ">",         "b",     "</b>",
                            "<br=",   "2",      "0x",        "%",     "\t",
                            "\n",     "\r",     " ",         "=",     "<hr",
                            "<t",     "<ct=",   "FFG",       "<cti=", "<cbi=25>",
                            "<al_c>", "<al_r>", "<icon=101", " cx=",  "<bmp=102 mask",
                            "<img=x", "<ilst=", "Windows,",  "word ", "4294967295",
                            "<i>",    "<u>",    "<s>",       "</cb>"};
    srand(7);
    renderer.maxTextWidth = 40;
    for (int round = 0; round < 300; ++round) {
        std::string text;
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
        renderer.RenderText(canvas.Dc(), area, (text + "\n<t><t><al_c>x<br>y").c_str(), false);
    }
}

// Under a code page with lead bytes: this suite runs in a CTest entry of its own, with
// a Japanese locale, and fails anywhere else.
class MarkupDbcs : public MarkupTest {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "needs the Japanese ANSI code page"; }

    // The next whole characters that make up a line of this width.
    std::string TakeLine(const std::vector<std::string>& characters, size_t& next,
                         int width) const {
        std::string line;
        while (next < characters.size() && Width(line) < width)
            line += characters[next++];
        return line;
    }
};

constexpr char HIRAGANA_A[] = "\x82\xa0";
constexpr char HIRAGANA_I[] = "\x82\xa2";
constexpr char LEAD[] = "\x82";

TEST_F(MarkupDbcs, LoneLeadBytesAndMixedTextsMeasureAsTheirWholeCharacters) {
    const std::string a = HIRAGANA_A;
    const std::string i = HIRAGANA_I;
    const std::string lead = LEAD;
    for (const std::string& text : {lead, "ab" + lead, a, "ab" + a + "x", a + i + "cd" + i + lead,
                                    "x" + a + a + a + a + a + a + lead}) {
        EXPECT_EQ(Measure(text).cx, Width(text)) << text;
        EXPECT_EQ(Widths().size(), 1u) << text;
        Draw(text);
    }
    // A lead byte cut off by a tag, a tab or a line feed ends its run alone.
    EXPECT_EQ(Measure("ab" + lead + "<b>c").cx, Width("ab" + lead) + Width("c", 800));
    EXPECT_EQ(Measure(lead + "\t" + lead + "\n" + lead).cy, 2 * LineHeight());
}

TEST_F(MarkupDbcs, WrappingNeverSplitsACharacter) {
    std::vector<std::string> characters;
    std::string text;
    for (int k = 0; k < 60; ++k) {
        characters.push_back(k % 7 == 3 ? "x" : k % 2 ? HIRAGANA_I : HIRAGANA_A);
        text += characters.back();
    }
    text += LEAD;
    characters.push_back(LEAD);
    for (int width : {Width(HIRAGANA_A) * 7 + 3, Width(HIRAGANA_A) + 1, 1}) {
        renderer.maxTextWidth = width;
        Measure(text);
        ASSERT_GE(Widths().size(), 2u) << width;
        size_t next = 0;
        for (int line : Widths()) {
            const std::string expected = TakeLine(characters, next, line);
            EXPECT_EQ(Width(expected), line) << "a line ends inside a character";
            EXPECT_TRUE(line <= width || expected.size() <= 2) << line << " > " << width;
        }
        EXPECT_EQ(next, characters.size()) << "every character is placed once";
        Draw(text);
    }

    // Spaces still break mixed text, and a continuation line loses its leading space.
    const std::string first = std::string(HIRAGANA_A) + HIRAGANA_A;
    const std::string second = std::string(HIRAGANA_I) + HIRAGANA_I + HIRAGANA_I;
    renderer.maxTextWidth = Width(first + " " + second) - 1;
    Measure(first + " " + second);
    EXPECT_EQ(Widths(), (std::vector<int>{Width(first), Width(second)}));
}

} // namespace
