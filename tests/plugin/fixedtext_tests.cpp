// The helpers for fixed text buffers and version information that the plug-in, its
// dialogs and its tools share.
#include "base/fileversion.h"
#include "base/fixedtext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FixedText, PathsThatDoNotFitAreEmptyRatherThanCut) {
    char path[MAX_PATH];
    const std::string half(MAX_PATH / 2, 'a');
    const std::string rest(MAX_PATH - 1 - half.size(), 'b');
    ASSERT_TRUE(JoinPath({half.c_str(), rest.c_str()}, path)) << "the longest path that fits";
    EXPECT_EQ(std::string(path), half + rest);
    EXPECT_FALSE(JoinPath({half.c_str(), rest.c_str(), "c"}, path));
    EXPECT_STREQ(path, "");
    ASSERT_TRUE(JoinPath({"C:\\skins\\", "", "Glass"}, path));
    EXPECT_STREQ(path, "C:\\skins\\Glass");

    char small[4];
    CopyText(small, "abcdef");
    EXPECT_STREQ(small, "abc");
}

TEST(FileVersion, ReadFromTheFileOrNotAtAll) {
    FileVersion version;
    ASSERT_TRUE(ReadFileVersion("lang_1_2_0_0.dll", version));
    EXPECT_EQ(version, LANGUAGE_MODULE_VERSION);
    ASSERT_TRUE(ReadFileVersion("lang_1_2_0_1.dll", version));
    EXPECT_EQ(version.mostSignificant, 0x00010002u);
    EXPECT_EQ(version.leastSignificant, 0x00000001u);

    const FileVersion before = version;
    EXPECT_FALSE(ReadFileVersion("no such module.dll", version));
    EXPECT_FALSE(ReadModuleVersion(GetModuleHandleA(nullptr), version))
        << "a test program has none";
    EXPECT_EQ(version, before);
}

} // namespace
