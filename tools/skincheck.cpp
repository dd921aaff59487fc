// skincheck <skin folder>: every problem of a skin with its line in quiescorskin.ini.
// Draws nothing on the screen, so it runs without a display. Exits 1 when it finds an
// error, 2 when the folder holds no description file.
#include "tools/skinfoldercheck.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char USAGE[] =
    "usage: skincheck <skin folder>\n"
    "\n"
    "Reports every problem of the skin in the folder (the one holding quiescorskin.ini,\n"
    "relative or absolute, with either slash) with its line in quiescorskin.ini: what the\n"
    "plug-in does not read at all first, then the rest in the order of the file. Errors\n"
    "keep the skin from working as written; warnings point at what probably does not\n"
    "look as meant. docs/skins.md describes the format.\n"
    "\n"
    "Exit status: 0 without errors, 1 with errors, 2 when the folder holds no\n"
    "quiescorskin.ini.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    CSkinFolderCheck check(argv[1]);
    CFindings findings;
    if (!check.Run(findings)) {
        std::fprintf(stderr, "skincheck: cannot read %s\n", check.DescriptionPath().c_str());
        return 2;
    }
    return findings.Report(stdout, "skincheck: " + check.DescriptionPath());
}
