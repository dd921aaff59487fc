// langcheck against the shipped German module, the English one that translators start
// from, and English modules that each carry one kind of fault.
#include "res/resource.h"
#include "tests/tools/toolprocess.h"
#include "base/dialogtemplate.h"
#include "tools/languagecheck.h"
#include "tools/markupcheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string GERMAN = QUIESCOR_BIN_FOLDER "\\lang\\quiescor-de.dll";
const std::string RUSSIAN = QUIESCOR_BIN_FOLDER "\\lang\\quiescor-ru.dll";

std::string TestModule(const std::string& name) {
    return "languages\\" + name + ".dll";
}

// This program carries the plug-in's own resources.
CFindings Check(const std::string& path) {
    CFindings findings;
    EXPECT_TRUE(CLanguageCheck(GetModuleHandleA(nullptr)).Check(path, findings)) << path;
    return findings;
}

std::string Listed(const CFindings& findings) {
    std::string list;
    for (const CFindings::Finding& finding : findings.All())
        list += (finding.error ? "error: " : "warning: ") + finding.text + "\n";
    return list;
}

TEST(LanguageCheck, ShippedTranslationsAndTheEnglishTemplatePass) {
    for (const std::string& path : {GERMAN, RUSSIAN, TestModule("english")}) {
        const CFindings findings = Check(path);
        EXPECT_TRUE(findings.All().empty()) << path << "\n" << Listed(findings);
    }
}

TEST(LanguageCheck, EachKindOfFaultIsAnError) {
    struct Fault {
        const char* module;
        std::vector<const char*> errors; // words of each error the fault must give
    };
    const Fault faults[] = {
        {"wrongversion", {"file version 1.2.0.1"}},
        {"missing", {"string IDS_TIP_CANCEL (113): missing"}},
        {"extra", {"string 4242 \"Left over\": not a string of the plug-in"}},
        {"markup",
         {"string IDS_TIP_LOGOFF (108): tag <bold> at character 1 is not a tag",
          "string IDS_TIP_RESTART (107): tag <br>"}},
        {"controls",
         {"(settings): control 14: identifier 4; the plug-in's is 3",
          "(settings): control 12: class EDIT; the plug-in's is STATIC",
          "(settings): control 5: style 0x50010009"}},
        {"fit",
         {"(settings): control 1017 \"Get many more skins from the library...\": the text needs",
          "string IDS_ASK_LOGOFF (102) \"Are you really",
          "string IDS_CAPTION_LOGOFF (32799): the plug-in reads only its first 254",
          "\": the exit window's caption needs"}},
        {"mojibake",
         {"string IDS_CAPTION_TURNOFF (32795): \"Arr\u00c3\u00aater\" is \"Arr\u00eater\" in "
          "UTF-8 read as code page 1252"}},
        {"cut",
         {"string IDS_ASK_TURNOFF (104): it ends after \"lez-vous vraiment ar\", as if cut"}},
        {"unreadable", {"string IDS_TIP_CANCEL (113): character 12 is U+FFFD"}},
        {"letter", {"string IDS_TIP_TURNOFF (1): its title names the key (A), but (T) chooses"}},
        {"english64", {"a 64-bit module (x64): the host and the plug-in are 32-bit"}},
    };
    for (const Fault& fault : faults) {
        const CFindings findings = Check(TestModule(fault.module));
        EXPECT_EQ(findings.Errors(), static_cast<int>(fault.errors.size())) << fault.module << "\n"
                                                                            << Listed(findings);
        for (const char* words : fault.errors) {
            const CFindings::Finding* found = findings.Find(words);
            EXPECT_TRUE(found && found->error) << fault.module << ": " << words << "\n"
                                               << Listed(findings);
        }
    }
}

TEST(LanguageCheck, ProgramTellsItsVerdictByItsExitCode) {
    const ToolRun german = RunTool("langcheck.exe", "\"" + GERMAN + "\"");
    EXPECT_EQ(german.exitCode, 0) << german.output;
    EXPECT_NE(german.output.find("0 errors, 0 warnings"), std::string::npos) << german.output;

    const ToolRun broken = RunTool("langcheck.exe", TestModule("missing"));
    EXPECT_EQ(broken.exitCode, 1) << broken.output;
    EXPECT_NE(broken.output.find("error: string IDS_TIP_CANCEL (113): missing"), std::string::npos)
        << broken.output;

    EXPECT_EQ(RunTool("langcheck.exe", "no-such-module.dll").exitCode, 2);
    EXPECT_EQ(RunTool("langcheck.exe", "").exitCode, 2);

    const ToolRun help = RunTool("langcheck.exe", "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output.find("usage: langcheck <language module>"), 0u) << help.output;

    const ToolRun script = RunTool("langcheck.exe", "de.rc");
    EXPECT_EQ(script.exitCode, 2);
    EXPECT_NE(script.output.find("give langcheck the DLL built from it"), std::string::npos)
        << script.output;
}

TEST(MarkupCheck, FindsWhatTheTooltipWouldNotShowAsWritten) {
    struct Case {
        const char16_t* text;
        size_t errors;
        size_t warnings;
    };
    const Case cases[] = {
        {u"<b>Title</b><br><hr=100%><br>Body text", 0, 0},
        {u"<B>Bold</B>, <<b> as a literal, a tab\tand a line\nbreak", 0, 0},
        {u"<ct=FF0000>red<ct=0x0000ff>blue<cbi=3>", 0, 0},
        {u"one < two", 2, 0},       // a tag named "two" that is never closed
        {u"<bold>Title</b>", 1, 1}, // not a tag; and </b> ends nothing
        {u"Title <br", 1, 0},
        {u"<br=two><ct=red>", 0, 2},
        {u"</i>text", 0, 1},
        {u"<u>underlined", 0, 1},
        {u"<b>\u03a4\u03af\u03c4\u03bb\u03bf\u03c2</b><br>\u039a\u03b5\u03af", 0, 0},
        {u"<AL_C>Centred\n=3 after a line feed\t=5 and a tab</B>", 0, 1},
    };
    for (const Case& c : cases) {
        const MarkupCheck check = CheckMarkup(c.text);
        EXPECT_EQ(check.errors.size(), c.errors) << Utf8(c.text);
        EXPECT_EQ(check.warnings.size(), c.warnings) << Utf8(c.text);
    }
    EXPECT_EQ(CheckMarkup(u"<b>T</b><br><HR = 100%>").tags,
              (std::vector<std::string>{"b", "/b", "br", "hr=100%"}));
    // A name outside ASCII is shown as written, at its place in UTF-16 units.
    const MarkupCheck greek = CheckMarkup(u"\u0391\u03b2<\u0393>");
    ASSERT_EQ(greek.errors.size(), 1u);
    EXPECT_EQ(greek.errors[0].rfind("tag <\u0393> at character 3 ", 0), 0u) << greek.errors[0];
}

// The bytes of one of this program's dialog templates.
std::vector<uint8_t> OwnTemplate(UINT id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_DIALOG);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    return data ? std::vector<uint8_t>(data, data + SizeofResource(nullptr, found))
                : std::vector<uint8_t>();
}

TEST(DialogTemplate, ReadsBothFormsAndRefusesEveryCutTemplate) {
    DialogTemplate settings;
    const std::vector<uint8_t> bytes = OwnTemplate(IDD_SETTINGS);
    ASSERT_TRUE(ReadDialogTemplate(bytes.data(), bytes.size(), settings));
    EXPECT_TRUE(settings.extended);
    EXPECT_EQ(Utf8(settings.face), "MS Sans Serif");
    EXPECT_EQ(settings.pointSize, 8);
    ASSERT_EQ(settings.controls.size(), 17u);
    EXPECT_EQ(settings.controls[1].className, "COMBOBOX");
    EXPECT_EQ(settings.controls[1].id, static_cast<uint32_t>(IDC_SKINS));
    EXPECT_EQ(settings.controls[12].className, "ZRKHOTKEY_CLASS");
    EXPECT_EQ(Utf8(settings.controls[10].text), "Always to ask confirmation");
    EXPECT_EQ(settings.controls[16].cx, 190);

    DialogTemplate confirm;
    const std::vector<uint8_t> standard = OwnTemplate(IDD_CONFIRM);
    ASSERT_TRUE(ReadDialogTemplate(standard.data(), standard.size(), confirm));
    EXPECT_FALSE(confirm.extended);
    ASSERT_EQ(confirm.controls.size(), 4u);
    EXPECT_EQ(confirm.controls[2].className, "STATIC") << "the icon";
    EXPECT_TRUE(confirm.controls[2].text.empty()) << "an icon's title is a resource number";
    EXPECT_EQ(confirm.controls[1].id, static_cast<uint32_t>(IDCANCEL));

    // The last control may be followed by up to three bytes of padding.
    for (size_t size = 0; size + 3 < bytes.size(); ++size) {
        DialogTemplate cut;
        EXPECT_FALSE(ReadDialogTemplate(bytes.data(), size, cut)) << size << " bytes";
    }

    // The signature of an extended template on another version: a system that goes by
    // the signature would read it in the other form.
    std::vector<uint8_t> ambiguous = bytes;
    ambiguous[0] = 2;
    DialogTemplate either;
    EXPECT_FALSE(ReadDialogTemplate(ambiguous.data(), ambiguous.size(), either));
}

} // namespace
