#include "image/filestream.h"
#include "image/memorystream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

TEST(MemoryStream, ReadsCountWholeItemsAndStopAtTheEnd) {
    const BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemoryStream stream(data, sizeof data);
    BYTE out[16] = {};
    EXPECT_EQ(stream.Read(out, 4, 3), 2u); // ten bytes: two whole items
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_EQ(out[9], 9);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Read(out, 1, 1), 0u);
    EXPECT_EQ(stream.GetC(), -1);

    EXPECT_FALSE(stream.Seek(-1, 0));
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_FALSE(stream.Seek(0, 3));
    EXPECT_TRUE(stream.Seek(10, 2));
    EXPECT_EQ(stream.Tell(), 20);
    EXPECT_EQ(stream.Error(), 1);
    EXPECT_EQ(stream.Read(out, 1, 1), 0u);
    EXPECT_TRUE(stream.Seek(-3, 1));
    EXPECT_FALSE(stream.Seek(0x7FFFFFFF, 1));
    EXPECT_TRUE(stream.Seek(3, 0));
    EXPECT_EQ(stream.GetC(), 3);
    EXPECT_EQ(stream.Remaining(), 6);
    EXPECT_EQ(stream.Read(out, 0, 5), 0u);
    EXPECT_EQ(stream.Read(nullptr, 1, 5), 0u);
}

TEST(MemoryStream, WritesCopyBorrowedBytesAndGrowInBlocks) {
    const BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemoryStream stream(data, sizeof data);
    EXPECT_EQ(stream.Capacity(), 10);
    ASSERT_TRUE(stream.Seek(2, 0));
    EXPECT_TRUE(stream.PutC(0xAA));
    EXPECT_EQ(data[2], 2); // the borrowed block is never written
    EXPECT_EQ(stream.Capacity(), 10);
    EXPECT_EQ(stream.Data()[2], 0xAA);

    ASSERT_TRUE(stream.Seek(12, 0));
    const BYTE more[3] = {7, 7, 7};
    EXPECT_EQ(stream.Write(more, 1, 3), 3u);
    EXPECT_EQ(stream.Capacity(), 10 + 4096);
    EXPECT_EQ(stream.Size(), 15);
    EXPECT_EQ(stream.Data()[11], 0); // the gap reads as zero
    ASSERT_TRUE(stream.Seek(0, 2));
    // Ends exactly two blocks past the capacity.
    const std::vector<BYTE> block(10 + 4096 * 3 - 15, 1);
    EXPECT_EQ(stream.Write(block.data(), block.size(), 1), 1u);
    EXPECT_EQ(stream.Capacity(), 10 + 4096 * 3);
    EXPECT_TRUE(stream.Close());
    EXPECT_EQ(stream.Size(), -1);

    MemoryStream empty;
    EXPECT_EQ(empty.Write(more, 1, 3), 0u);
    EXPECT_FALSE(empty.PutC(1));
    EXPECT_EQ(empty.Tell(), -1);
    EXPECT_TRUE(empty.Eof());
}

TEST(FileStream, WrapsAFileWithoutClosingIt) {
    const char path[] = "filestream-test.tmp";
    FILE* file = std::fopen(path, "w+b");
    ASSERT_NE(file, nullptr);
    {
        FileStream stream(file);
        EXPECT_TRUE(stream.PutC('a'));
        const char text[] = "bcdef";
        EXPECT_EQ(stream.Write(text, 1, 5), 5u);
        EXPECT_TRUE(stream.Seek(2, 0));
        EXPECT_EQ(stream.Size(), 6);
        EXPECT_EQ(stream.Tell(), 2);
        EXPECT_EQ(stream.Remaining(), 4);
        EXPECT_EQ(stream.GetC(), 'c');
        EXPECT_TRUE(stream.Close());
    }
    EXPECT_EQ(std::fseek(file, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(file), 'a');
    std::fclose(file);
    std::remove(path);

    FileStream none(nullptr);
    EXPECT_EQ(none.Size(), -1);
    EXPECT_EQ(none.GetC(), -1);
    EXPECT_TRUE(none.Eof());
}
