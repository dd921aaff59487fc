#include "host/pngwriter.h"
#include "tests/dock/pngreader.h"
#include "tests/host/scratchfolder.h"

#include <gtest/gtest.h>

namespace {

TEST(PngWriter, WritesEveryPixelInItsColour) {
    ScreenImage image;
    image.width = 3;
    image.height = 2;
    // Blue, green, red, unused: the unused byte must not reach the file.
    image.bgrx = {255, 0,  0,  9, 0, 255, 0, 9, 0,   0,   255, 9,
                  10,  20, 30, 9, 0, 0,   0, 9, 255, 255, 255, 9};
    ScratchFolder folder;
    std::string path = folder.File("pixels.png");
    ASSERT_TRUE(CPngWriter::Write(path, image));

    RgbImage read;
    ASSERT_TRUE(ReadPng(path, read));
    ASSERT_EQ(read.width, 3);
    ASSERT_EQ(read.height, 2);
    const std::vector<BYTE> expected = {0,  0,  255, 0, 255, 0, 255, 0,   0,
                                        30, 20, 10,  0, 0,   0, 255, 255, 255};
    EXPECT_EQ(read.rgb, expected);
}

TEST(PngWriter, RefusesWhatItCannotWrite) {
    ScreenImage image;
    image.width = 1;
    image.height = 1;
    image.bgrx = {1, 2, 3, 4};
    ScratchFolder folder;
    EXPECT_FALSE(CPngWriter::Write(folder.File("missing\\folder.png"), image));
    EXPECT_FALSE(CPngWriter::Write(folder.File("empty.png"), ScreenImage()));
    image.bgrx.pop_back();
    EXPECT_FALSE(CPngWriter::Write(folder.File("short.png"), image));
}

} // namespace
