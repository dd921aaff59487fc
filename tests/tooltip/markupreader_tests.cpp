#include "tooltip/markupreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads runs until the end, the way the layout loop does, marking tags as "|tag|".
std::u16string Runs(const std::u16string& text) {
    CMarkupReader reader(text);
    std::u16string out;
    while (!reader.AtEnd()) {
        std::u16string run = reader.ReadTextRun();
        if (!run.empty()) {
            out += u"[" + run + u"]";
            continue;
        }
        out += u"|" + reader.ReadTagName() + u"|";
        reader.SkipToTagEnd();
        reader.Advance();
    }
    return out;
}

TEST(MarkupReader, TextRunsEscapesAndStops) {
    EXPECT_EQ(Runs(u"<<b>"), u"[<b>]");
    EXPECT_EQ(Runs(u"a<"), u"[a<]");
    EXPECT_EQ(Runs(u"<"), u"[<]");
    EXPECT_EQ(Runs(u"1 > 0"), u"[1 > 0]");
    EXPECT_EQ(Runs(u"a\r\nb\r"), u"[a]|\n|[b]");
    EXPECT_EQ(Runs(u"x\ty"), u"[x]|\t|[y]");
    EXPECT_EQ(Runs(u"ab<b>cd</b>"), u"[ab]|b|[cd]|/b|");
    EXPECT_EQ(Runs(u"<b\tx>y"), u"|bx|[y]");
    EXPECT_EQ(Runs(u"<foo bar\tbaz>"), u"|foo|[baz>]");
    EXPECT_EQ(Runs(u"abc<b"), u"[abc]|b|");
}

// Only ASCII units have a meaning in the markup: a letter whose low byte is that of
// "<" or ">" (U+013C, U+013E), a fullwidth "<" and surrogate pairs are text.
TEST(MarkupReader, TextOutsideAsciiIsPlainText) {
    EXPECT_EQ(Runs(u"\u0412\u044b\u0445\u043e\u0434<b>\u0434\u0430"),
              u"[\u0412\u044b\u0445\u043e\u0434]|b|[\u0434\u0430]");
    EXPECT_EQ(Runs(u"\u013c<<\u013c"), u"[\u013c<\u013c]");
    EXPECT_EQ(Runs(u"\u03a9<<<b>\u03a9"), u"[\u03a9<]|b|[\u03a9]");
    EXPECT_EQ(Runs(u"\uff1cb>\u013e"), u"[\uff1cb>\u013e]");
    EXPECT_EQ(Runs(u"\U0001D400<br>\U0001D400\t"), u"[\U0001D400]|br|[\U0001D400]|\t|");
    EXPECT_EQ(Runs(u"<\u013c>x"), u"|\u013c|[x]");

    CMarkupReader named(u"<img=\u039b\u013eo cx=16>");
    named.ReadTextRun();
    EXPECT_EQ(named.ReadTagName(), u"img");
    EXPECT_EQ(named.ReadValue(), u"\u039b\u013eo");
    EXPECT_EQ(named.ReadParamName(), u"cx");
    // Digits of other scripts, and letters whose low byte is a digit's, are no digits.
    EXPECT_EQ(CMarkupReader::ToNumber(u"\uff11\uff12"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"1\u0132"), 1u);
    EXPECT_EQ(CMarkupReader::ToColor(u"\u0146F0000"), 0u);
}

TEST(MarkupReader, ValuesFollowOnlyAnEqualsSign) {
    struct Case {
        std::u16string text, name, value, next;
    };
    const std::vector<Case> cases = {
        {u"<br=2>", u"br", u"2", u""},
        {u"<hr = 50%>", u"hr", u"50%", u""},
        {u"<b x=1>", u"b", u"", u"x"},
        {u"<icon=101 cx=16>", u"icon", u"101", u"cx"},
        {u"<ct=\tFF\n00\r00>", u"ct", u"FF0000", u""},
        {u"<bmp=102 mask cx=32>", u"bmp", u"102", u"mask"},
    };
    for (const Case& c : cases) {
        CMarkupReader reader(c.text);
        reader.ReadTextRun();
        EXPECT_EQ(reader.ReadTagName(), c.name);
        EXPECT_EQ(reader.ReadValue(), c.value);
        EXPECT_EQ(reader.ReadParamName(), c.next);
    }
    CMarkupReader open(u"<hr=");
    open.ReadTextRun();
    open.ReadTagName();
    EXPECT_EQ(open.ReadNumber(100), 100u);
    EXPECT_TRUE(open.AtEnd());
}

TEST(MarkupReader, NumbersTakeTheirBaseFromThePrefix) {
    EXPECT_EQ(CMarkupReader::ToNumber(u"100%"), 100u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"0x1F"), 31u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"0X1f"), 31u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"017"), 15u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"09"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"0x"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"abc"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"4294967295"), 4294967295u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"4294967296"), 4294967295u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"0x123456789"), 4294967295u);
    EXPECT_EQ(CMarkupReader::ToNumber(u"-1"), 4294967295u);
}

TEST(MarkupReader, ColoursAreRrggbbOrLowerCaseHexNumbers) {
    const uint32_t red = 0x0000FF, blue = 0xFF0000;
    EXPECT_EQ(CMarkupReader::ToColor(u"FF0000"), red);
    EXPECT_EQ(CMarkupReader::ToColor(u"0x0000FF"), red);
    EXPECT_EQ(CMarkupReader::ToColor(u"0xFF0000"), blue);
    EXPECT_EQ(CMarkupReader::ToColor(u"0000ff"), blue);
    EXPECT_EQ(CMarkupReader::ToColor(u"G1G1G1"), 0u);
    EXPECT_EQ(CMarkupReader::ToColor(u"1G1G1G"), 0x010101u);
    EXPECT_EQ(CMarkupReader::ToColor(u"F"), 0x0Fu);
    EXPECT_EQ(CMarkupReader::ToColor(u"0XFF00"), 0x00FF00u);
    EXPECT_EQ(CMarkupReader::ToColor(u"0x12345678"), 0x345678u);
}

} // namespace
