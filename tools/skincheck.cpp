// skincheck <skin folder>: every problem of a skin with its line in quiescorskin.ini.
// Draws nothing on the screen, so it runs without a display. Exits 1 when it finds an
// error, 2 when the folder holds no description file.
#include "tools/skinfoldercheck.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skincheck <skin folder>\n");
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
