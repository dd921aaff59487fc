// skincheck against the sample skins and against a small skin made to fail in one way
// at a time, each problem with the line it is on.
#include "skintestsupport.h"
#include "tests/tools/toolprocess.h"
#include "tools/skinfoldercheck.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr COLORREF BACK = RGB(40, 60, 120);
constexpr COLORREF RED = RGB(220, 40, 40), GREEN = RGB(40, 200, 60), BLUE = RGB(60, 90, 230);
const std::string SAMPLE_SKINS = QUIESCOR_BIN_FOLDER "\\skins\\";

// A button picture of three states, each a band of its own colour (rows past the third
// band take the last), optionally framed in a matte colour.
Bytes StatesPng(int width, int height, const COLORREF (&states)[3], int alpha,
                COLORREF matte = CLR_INVALID) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = alpha < 255 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    const int stateHeight = height / 3;
    for (int y = 0; y < picture.height; ++y) {
        const int state = std::min(y / stateHeight, 2);
        for (int x = 0; x < width; ++x) {
            const int inY = y - state * stateHeight;
            const bool edge = x < 4 || x >= width - 4 || inY < 4 || inY >= stateHeight - 4;
            const COLORREF colour = matte != CLR_INVALID && edge ? matte : states[state];
            for (int value :
                 {int(GetRValue(colour)), int(GetGValue(colour)), int(GetBValue(colour))})
                picture.samples.push_back(static_cast<uint16_t>(value));
            if (alpha < 255)
                picture.samples.push_back(static_cast<uint16_t>(alpha));
        }
    }
    return WritePng(picture);
}

const std::vector<std::string> BASE = {
    "[general]",           // 1
    "Name=Test",           // 2
    "[images]",            // 3
    "BackGround=back.png", // 4
    "TurnOff=button.png",  // 5
    "Cancel=button.png",   // 6
    "[points]",            // 7
    "TurnOff=10,10",       // 8
    "Cancel=100,50",       // 9
};

using Files = std::map<std::string, Bytes>;

// A small PNG whose header claims another size: the image library refuses it by its
// size before it reads any pixel.
Bytes ClaimingPng(uint32_t width, uint32_t height) {
    Bytes png = SolidPng(2, 2, BACK);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<BYTE>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<BYTE>(height >> (24 - 8 * i));
    }
    return png;
}

// A skin folder with the base description, some lines replaced and more appended, and
// more files beside it or in place of its own. Its button picture and background have
// pictures for high resolutions of the right sizes, within the pixel either way allowed.
class FaultySkin {
public:
    FaultySkin(const std::map<int, std::string>& changes, const std::vector<std::string>& more,
               const Files& files = {})
        : folder("SkinCheck") {
        folder.Write("back.png", SolidPng(200, 100, BACK));
        folder.Write("back@2x.png", SolidPng(400, 200, BACK));
        folder.Write("button.png", StatesPng(30, 60, {RED, GREEN, BLUE}, 200));
        folder.Write("button@1.5x.png", StatesPng(46, 89, {RED, GREEN, BLUE}, 200));
        folder.Write("broken.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G'});
        folder.Write("odd.png", StatesPng(30, 61, {RED, GREEN, BLUE}, 200));
        folder.Write("large.png", SolidPng(1100, 800, BACK));
        folder.Write("seethrough.png", SolidPng(200, 100, BACK, 128));
        folder.Write("same.png", StatesPng(30, 60, {RED, GREEN, RED}, 200));
        folder.Write("matte.png", StatesPng(30, 60, {RED, GREEN, BLUE}, 255, RGB(255, 0, 255)));
        folder.Write("tiny.png", SolidPng(30, 2, RED));
        for (const auto& [name, bytes] : files)
            folder.Write(name, bytes);
        std::string text;
        for (size_t i = 0; i < BASE.size(); ++i) {
            const auto change = changes.find(static_cast<int>(i + 1));
            text += (change == changes.end() ? BASE[i] : change->second) + "\r\n";
        }
        for (const std::string& line : more)
            text += line + "\r\n";
        folder.WriteText("quiescorskin.ini", text);
    }

    std::string Path() const { return Folder() + "SkinCheck"; }

private:
    static std::string Folder() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string program(path);
        return program.substr(0, program.find_last_of('\\') + 1) + "skins\\";
    }
    TestSkinFolder folder;
};

std::string Listed(const CFindings& findings) {
    std::string list;
    for (const CFindings::Finding& finding : findings.All())
        list +=
            finding.where + ": " + (finding.error ? "error: " : "warning: ") + finding.text + "\n";
    return list;
}

TEST(SkinCheck, SampleSkinsAndTheBaseSkinPass) {
    const FaultySkin base({}, {});
    for (const std::string& folder :
         {SAMPLE_SKINS + "Graphite", SAMPLE_SKINS + "Glass", base.Path()}) {
        CFindings findings;
        ASSERT_TRUE(CSkinFolderCheck(folder).Run(findings)) << folder;
        EXPECT_TRUE(findings.All().empty()) << folder << "\n" << Listed(findings);
    }
}

TEST(SkinCheck, EachProblemIsReportedOnItsLine) {
    struct Problem {
        std::map<int, std::string> changes;
        std::vector<std::string> more;
        bool error;
        int line;
        const char* words;
        Files files = {};
    };
    const Problem problems[] = {
        {{{5, "TurnOff=nothere.png"}}, {}, true, 5, "nothere.png: no such file"},
        {{{5, "TurnOff=broken.png"}}, {}, true, 5, "broken.png: cannot be read ("},
        {{{5, "TurnOff=wide.png"}},
         {},
         true,
         5,
         "wide.png: 40000 x 30 pixels, more than the 32767 pixels a side the plug-in reads",
         {{"wide.png", ClaimingPng(40000, 30)}}},
        {{{5, "TurnOff=huge.png"}},
         {},
         true,
         5,
         "huge.png: 9000 x 9000 pixels, which take 309 MB in memory, more than the 256 MB",
         {{"huge.png", ClaimingPng(9000, 9000)}}},
        {{{5, "TurnOff=..\\button.png"}}, {}, true, 5, "leaves the skin folder"},
        {{{5, "TurnOff=C:\\windows\\button.png"}}, {}, true, 5, "leaves the skin folder"},
        {{}, {"Hibernat=5,60"}, true, 10, "unknown key Hibernat in [points]"},
        {{}, {"[imagez]"}, true, 10, "unknown section [imagez]"},
        {{}, {"Something"}, true, 10, "\"Something\" is not a key=value line"},
        {{{8, "TurnOff=190,10"}}, {}, true, 8, "reaches outside the 200 x 100 background"},
        {{{9, "Cancel=20,20"}}, {}, true, 9, "overlaps the TurnOff button (line 8)"},
        {{{5, "TurnOff=tiny.png"}}, {}, true, 5, "too low to hold three states"},
        {{{2, "Name="}}, {}, true, 2, "no Name in [general]"},
        {{{4, "; no background"}}, {}, true, 3, "no BackGround in [images]"},
        {{{5, "TurnOff=odd.png"}}, {}, false, 5, "61 pixels high, not a multiple of 3"},
        {{{4, "BackGround=large.png"}}, {}, false, 4, "larger than a 1024 x 768 screen"},
        {{{4, "BackGround=seethrough.png"}}, {}, false, 4, "the background is partly transparent"},
        {{{5, "TurnOff=same.png"}}, {}, false, 5, "normal and hot pictures look alike"},
        {{{5, "TurnOff=matte.png"}}, {}, false, 5, "opaque and its corners are one flat colour"},
        {{}, {"TurnOff=12,12"}, false, 10, "TurnOff is set again; the plug-in reads line 8"},
        {{}, {"Restart=5,60"}, false, 10, "Restart has a point but no picture"},
        {{{8, "TurnOff=-10,10"}}, {}, false, 8, "the minus sign is not read"},
        {{},
         {},
         false,
         4,
         "back@2x.png is 398 x 200, not back.png's 200 x 100 times 2 (400 x 200, a pixel "
         "either way): the plug-in ignores it",
         {{"back@2x.png", SolidPng(398, 200, BACK)}}},
        {{{6, "Cancel=cancel.png"}},
         {},
         false,
         6,
         "cancel@2x.png is 60 x 40, not cancel.png's 30 x 60 times 2",
         {{"cancel.png", StatesPng(30, 60, {RED, GREEN, BLUE}, 200)},
          {"cancel@2x.png", StatesPng(60, 40, {RED, GREEN, BLUE}, 200)}}},
        {{},
         {},
         true,
         4,
         "back@1.5x.png: cannot be read (",
         {{"back@1.5x.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G'}}}},
        {{},
         {},
         false,
         3,
         "shadow@2x.png has no shadow.png beside it",
         {{"shadow@2x.png", SolidPng(8, 8, BACK)}}},
    };
    for (const Problem& problem : problems) {
        FaultySkin skin(problem.changes, problem.more, problem.files);
        CSkinFolderCheck check(skin.Path());
        CFindings findings;
        ASSERT_TRUE(check.Run(findings));
        ASSERT_EQ(findings.All().size(), 1u) << problem.words << "\n" << Listed(findings);
        const CFindings::Finding& finding = findings.All()[0];
        EXPECT_EQ(finding.error, problem.error) << problem.words;
        EXPECT_NE(finding.text.find(problem.words), std::string::npos) << Listed(findings);
        EXPECT_EQ(finding.where, check.DescriptionPath() + ":" + std::to_string(problem.line))
            << problem.words;
    }
}

// A misspelt section hides the keys below it: the author reads that first, and then
// what it causes.
TEST(SkinCheck, RootCauseComesFirst) {
    FaultySkin skin({{3, "[imagse]"}}, {});
    CFindings findings;
    ASSERT_TRUE(CSkinFolderCheck(skin.Path()).Run(findings));
    ASSERT_GE(findings.All().size(), 2u) << Listed(findings);
    EXPECT_NE(findings.All()[0].text.find("unknown section [imagse]"), std::string::npos)
        << Listed(findings);
    EXPECT_TRUE(findings.Find("no BackGround in [images]")) << Listed(findings);
}

TEST(SkinCheck, ProgramTellsItsVerdictByItsExitCode) {
    const ToolRun glass = RunTool("skincheck.exe", "\"" + SAMPLE_SKINS + "Glass\"");
    EXPECT_EQ(glass.exitCode, 0) << glass.output;

    FaultySkin skin({{9, "Cancel=20,20"}}, {});
    const ToolRun broken = RunTool("skincheck.exe", "\"" + skin.Path() + "\"");
    EXPECT_EQ(broken.exitCode, 1) << broken.output;
    EXPECT_NE(broken.output.find("quiescorskin.ini:9: error: the Cancel button"), std::string::npos)
        << broken.output;

    EXPECT_EQ(RunTool("skincheck.exe", "\"" + SAMPLE_SKINS + "NoSuchSkin\"").exitCode, 2);
    const ToolRun help = RunTool("skincheck.exe", "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output.rfind("usage: skincheck <skin folder>", 0), 0u) << help.output;
}

} // namespace
