// langcheck <language module>: what a language module lacks or gets wrong against the
// plug-in's own resources, which this program carries. Exits 1 when it finds an error,
// 2 when the module cannot be read.
#include "tools/languagecheck.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char USAGE[] =
    "usage: langcheck <language module>\n"
    "\n"
    "Holds a language module (the resource-only DLL built from a translation, such as\n"
    "lang\\quiescor-de.dll) against the plug-in's own texts and dialogs: that it is a\n"
    "32-bit module of version 1.2.0.0, that no string is missing or extra, that the\n"
    "tooltips' markup parses and their titles name the actions' keys, that no text was\n"
    "mangled by a wrong code page, and that the texts fit their controls and the exit\n"
    "window at 96 DPI. Strings are named as in res/resource.h.\n"
    "\n"
    "Exit status: 0 without errors (warnings may remain), 1 with errors, 2 when the\n"
    "module cannot be read. docs/translating.md says how to build a module.\n";

bool EndsWith(const std::string& text, const char* end) {
    const size_t length = std::strlen(end);
    return text.size() >= length && _stricmp(text.c_str() + text.size() - length, end) == 0;
}

// Why a file that is no module cannot be checked.
void ExplainUnreadable(const std::string& path) {
    if (EndsWith(path, ".rc") || EndsWith(path, ".res"))
        std::fprintf(stderr,
                     "langcheck: %s is what a language module is built from, not the module; "
                     "give langcheck the DLL built from it (quiescor-<code>.dll: "
                     "docs/translating.md says how to build one)\n",
                     path.c_str());
    else if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        std::fprintf(stderr, "langcheck: %s: no such file\n", path.c_str());
    else
        std::fprintf(stderr, "langcheck: %s is not a Windows module (error %lu)\n", path.c_str(),
                     GetLastError());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "/?") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const std::string path = argv[1];
    if (EndsWith(path, ".rc") || EndsWith(path, ".res")) {
        ExplainUnreadable(path);
        return 2;
    }
    CFindings findings;
    if (!CLanguageCheck(GetModuleHandleA(nullptr)).Check(path, findings)) {
        ExplainUnreadable(path);
        return 2;
    }
    return findings.Report(stdout, "langcheck: " + path);
}
