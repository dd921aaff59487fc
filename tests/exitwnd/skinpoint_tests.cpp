#include "exitwnd/skinformat.h"
#include "exitwnd/skinpoint.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

void ExpectPoint(const char* text, int x, int y) {
    SkinPoint point = ParseSkinPoint(text);
    EXPECT_EQ(point.x, x) << (text ? text : "(null)");
    EXPECT_EQ(point.y, y) << (text ? text : "(null)");
}

TEST(SkinPoint, AnythingButDigitsSeparatesTheTwoNumbers) {
    ExpectPoint("10,20", 10, 20);
    ExpectPoint("10 20", 10, 20);
    ExpectPoint("(10;20)", 10, 20);
    ExpectPoint("x=10 y=20", 10, 20);
    ExpectPoint("-5,7", 5, 7);
    ExpectPoint("12", 12, 0);
    ExpectPoint("", 0, 0);
    ExpectPoint(nullptr, 0, 0);
    ExpectPoint("007,0008 9", 7, 8);
    ExpectPoint("1,2,3", 1, 2);
}

TEST(SkinPoint, HugeNumbersStayWithinAnyPictureSize) {
    const std::string digits(400, '9');
    ExpectPoint((digits + "," + digits).c_str(), 65535, 65535);
    ExpectPoint("4294967296,65536", 65535, 65535);
    ExpectPoint("65535,65534", 65535, 65534);
}

// A description's keys are matched whatever their case: two buttons whose names differ
// only in case would read one picture. Every action and Cancel has a button of its own.
TEST(SkinFormat, EachButtonHasOneKeyDistinctWhateverItsCase) {
    unsigned long keys = 0;
    std::set<std::string> names;
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS) {
        EXPECT_EQ(keys & button.key, 0u) << button.name;
        keys |= button.key;
        std::string folded = button.name;
        for (char& c : folded)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(names.insert(folded).second) << button.name;
        EXPECT_STREQ(SkinButtonKeyName(button.key), button.name);
    }
    EXPECT_EQ(keys, ALL_ACTIONS | BUTTON_CANCEL);
    EXPECT_STREQ(SkinButtonKeyName(OPTION_CONFIRM), "");
}

} // namespace
