// The contact sheet of the built-in skin and of each sample skin: every button's normal,
// hot and pressed pictures can be told apart where the exit window shows them.
#include "exitwnd/skinformat.h"
#include "dock/contactsheet.h"
#include "skintestsupport.h"
#include "tests/tools/toolprocess.h"
#include "tools/lookalike.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

// A copy of a sample skin below this program's own skins folder, where a skin is found.
std::unique_ptr<TestSkinFolder> CopyOfSample(const std::string& name) {
    auto copy = std::make_unique<TestSkinFolder>("Sheet" + name);
    const std::string source = QUIESCOR_BIN_FOLDER "\\skins\\" + name + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((source + "*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::ifstream file(source + found.cFileName, std::ios::binary);
        copy->Write(found.cFileName,
                    Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return copy;
}

ScreenImage CellOf(const CContactSheet& sheet, int row, int column) {
    const RECT cell = sheet.Cell(row, column);
    const ScreenImage& all = sheet.Image();
    ScreenImage image;
    image.width = cell.right - cell.left;
    image.height = cell.bottom - cell.top;
    for (LONG y = cell.top; y < cell.bottom; ++y) {
        const auto row0 = all.bgrx.begin() + (static_cast<size_t>(y) * all.width + cell.left) * 4;
        image.bgrx.insert(image.bgrx.end(), row0, row0 + static_cast<size_t>(image.width) * 4);
    }
    return image;
}

TEST(ContactSheet, EveryButtonOfTheShippedSkinsShowsDistinctStates) {
    enum { NORMAL, HOT, PRESSED, FOCUSED, DISABLED };
    for (const std::string name : {"", "Graphite", "Glass"}) {
        std::unique_ptr<TestSkinFolder> copy = name.empty() ? nullptr : CopyOfSample(name);
        CSkin skin;
        skin.Load(copy ? copy->SkinName().c_str() : "");
        ASSERT_EQ(skin.IsDefault(), name.empty()) << name;
        CContactSheet sheet;
        ASSERT_TRUE(sheet.Render(skin, GetModuleHandleA(nullptr))) << name;
        EXPECT_EQ(sheet.Rows(), name.empty() ? 7 : 5) << name;
        for (int row = 0; row < sheet.Rows(); ++row) {
            const std::string button = name + " " + SkinButtonKeyName(sheet.RowKey(row));
            ScreenImage cells[CContactSheet::COLUMN_COUNT];
            for (int column = 0; column < CContactSheet::COLUMN_COUNT; ++column)
                cells[column] = CellOf(sheet, row, column);
            EXPECT_FALSE(LookAlike(cells[NORMAL], cells[HOT])) << button;
            EXPECT_FALSE(LookAlike(cells[NORMAL], cells[PRESSED])) << button;
            EXPECT_FALSE(LookAlike(cells[PRESSED], cells[HOT])) << button;
            EXPECT_EQ(cells[FOCUSED].bgrx, cells[HOT].bgrx) << button;
            EXPECT_EQ(cells[DISABLED].bgrx, cells[NORMAL].bgrx) << button;
        }
    }
}

// The program takes a skin folder as skincheck does, says why a skin does not load, and
// shows a skin at another resolution.
TEST(SkinPreview, TakesSkincheckFolderArgumentAndRendersAtAnyResolution) {
    const std::string glass = QUIESCOR_BIN_FOLDER "\\skins\\Glass";
    CRasterImage background;
    ASSERT_TRUE(background.LoadFromFile((glass + "\\background.png").c_str(), FormatPng));
    TestSkinFolder unloadable("Unloadable");
    unloadable.WriteText("quiescorskin.ini", "[general]\r\nName=U\r\n[images]\r\n"
                                             "BackGround=none.png\r\n");
    const char PNG[] = "skinpreview-test.png";
    struct Case {
        std::string arguments;
        int exitCode;
        LONG width; // of the picture written, 0 for none
        const char* said = "";
    };
    const LONG width = background.Width();
    const Case cases[] = {
        {"\"" + glass + "\"", 0, width},
        {"../../bin/skins/Glass/", 0, width},
        {"--dpi 192 ../../bin/skins/Glass/quiescorskin.ini", 0, 2 * width},
        {"--dpi 144 \"" + glass + "\"", 0, width * 3 / 2},
        {"skins/Unloadable", 1, 0, "does not load (its background none.png: no such file)"},
        {"skins/NoSuchSkin", 2, 0, "cannot read"},
        {"--dpi 5 skins/Unloadable", 2, 0, "usage: skinpreview"},
    };
    for (const Case& c : cases) {
        DeleteFileA(PNG);
        const ToolRun run = RunTool("skinpreview.exe", c.arguments + " " + PNG);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << c.arguments << "\n" << run.output;
        CRasterImage picture;
        EXPECT_EQ(picture.LoadFromFile(PNG, FormatPng) ? picture.Width() : 0, c.width)
            << c.arguments;
    }
    DeleteFileA(PNG);
}

} // namespace
