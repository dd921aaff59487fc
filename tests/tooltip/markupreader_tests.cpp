#include "tooltip/markupreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads runs until the end, the way the layout loop does, marking tags as "|tag|".
std::string Runs(const std::string& text) {
    CMarkupReader reader(text);
    std::string out;
    while (!reader.AtEnd()) {
        std::string run = reader.ReadTextRun();
        if (!run.empty()) {
            out += "[" + run + "]";
            continue;
        }
        out += "|" + reader.ReadTagName() + "|";
        reader.SkipToTagEnd();
        reader.Advance();
    }
    return out;
}

TEST(MarkupReader, TextRunsEscapesAndStops) {
    EXPECT_EQ(Runs("<<b>"), "[<b>]");
    EXPECT_EQ(Runs("a<"), "[a<]");
    EXPECT_EQ(Runs("<"), "[<]");
    EXPECT_EQ(Runs("1 > 0"), "[1 > 0]");
    EXPECT_EQ(Runs("a\r\nb\r"), "[a]|\n|[b]");
    EXPECT_EQ(Runs("x\ty"), "[x]|\t|[y]");
    EXPECT_EQ(Runs("ab<b>cd</b>"), "[ab]|b|[cd]|/b|");
    EXPECT_EQ(Runs("<b\tx>y"), "|bx|[y]");
    EXPECT_EQ(Runs("<foo bar\tbaz>"), "|foo|[baz>]");
    EXPECT_EQ(Runs("abc<b"), "[abc]|b|");
}

TEST(MarkupReader, ValuesFollowOnlyAnEqualsSign) {
    struct Case {
        std::string text, name, value, next;
    };
    const std::vector<Case> cases = {
        {"<br=2>", "br", "2", ""},
        {"<hr = 50%>", "hr", "50%", ""},
        {"<b x=1>", "b", "", "x"},
        {"<icon=101 cx=16>", "icon", "101", "cx"},
        {"<ct=\tFF\n00\r00>", "ct", "FF0000", ""},
        {"<bmp=102 mask cx=32>", "bmp", "102", "mask"},
    };
    for (const Case& c : cases) {
        CMarkupReader reader(c.text);
        reader.ReadTextRun();
        EXPECT_EQ(reader.ReadTagName(), c.name) << c.text;
        EXPECT_EQ(reader.ReadValue(), c.value) << c.text;
        EXPECT_EQ(reader.ReadParamName(), c.next) << c.text;
    }
    CMarkupReader open("<hr=");
    open.ReadTextRun();
    open.ReadTagName();
    EXPECT_EQ(open.ReadNumber(100), 100u);
    EXPECT_TRUE(open.AtEnd());
}

TEST(MarkupReader, NumbersTakeTheirBaseFromThePrefix) {
    EXPECT_EQ(CMarkupReader::ToNumber("100%"), 100u);
    EXPECT_EQ(CMarkupReader::ToNumber("0x1F"), 31u);
    EXPECT_EQ(CMarkupReader::ToNumber("0X1f"), 31u);
    EXPECT_EQ(CMarkupReader::ToNumber("017"), 15u);
    EXPECT_EQ(CMarkupReader::ToNumber("09"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber("0x"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber("abc"), 0u);
    EXPECT_EQ(CMarkupReader::ToNumber("4294967295"), 4294967295u);
    EXPECT_EQ(CMarkupReader::ToNumber("4294967296"), 4294967295u);
    EXPECT_EQ(CMarkupReader::ToNumber("0x123456789"), 4294967295u);
    EXPECT_EQ(CMarkupReader::ToNumber("-1"), 4294967295u);
}

TEST(MarkupReader, ColoursAreRrggbbOrLowerCaseHexNumbers) {
    const uint32_t red = 0x0000FF, blue = 0xFF0000;
    EXPECT_EQ(CMarkupReader::ToColor("FF0000"), red);
    EXPECT_EQ(CMarkupReader::ToColor("0x0000FF"), red);
    EXPECT_EQ(CMarkupReader::ToColor("0xFF0000"), blue);
    EXPECT_EQ(CMarkupReader::ToColor("0000ff"), blue);
    EXPECT_EQ(CMarkupReader::ToColor("G1G1G1"), 0u);
    EXPECT_EQ(CMarkupReader::ToColor("1G1G1G"), 0x010101u);
    EXPECT_EQ(CMarkupReader::ToColor("F"), 0x0Fu);
    EXPECT_EQ(CMarkupReader::ToColor("0XFF00"), 0x00FF00u);
    EXPECT_EQ(CMarkupReader::ToColor("0x12345678"), 0x345678u);
}

} // namespace
