// langcheck <language module>: what a language module lacks or gets wrong against the
// plug-in's own resources, which this program carries. Exits 1 when it finds an error,
// 2 when the module cannot be opened.
#include "tools/languagecheck.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: langcheck <language module>\n");
        return 2;
    }
    CFindings findings;
    if (!CLanguageCheck(GetModuleHandleA(nullptr)).Check(argv[1], findings)) {
        std::fprintf(stderr, "langcheck: cannot open %s as a module (error %lu)\n", argv[1],
                     GetLastError());
        return 2;
    }
    return findings.Report(stdout, std::string("langcheck: ") + argv[1]);
}
