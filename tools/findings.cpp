#include "tools/findings.h"

#include <algorithm>

int CFindings::Errors() const {
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.error; }));
}

int CFindings::Warnings() const {
    return static_cast<int>(findings.size()) - Errors();
}

const CFindings::Finding* CFindings::Find(const std::string& words) const {
    for (const Finding& finding : findings) {
        if (finding.text.find(words) != std::string::npos)
            return &finding;
    }
    return nullptr;
}

int CFindings::Report(std::FILE* out, const std::string& subject) const {
    for (const Finding& finding : findings) {
        std::fprintf(out, "%s%s%s: %s\n", finding.where.c_str(), finding.where.empty() ? "" : ": ",
                     finding.error ? "error" : "warning", finding.text.c_str());
    }
    std::fprintf(out, "%s: %d error%s, %d warning%s\n", subject.c_str(), Errors(),
                 Errors() == 1 ? "" : "s", Warnings(), Warnings() == 1 ? "" : "s");
    return Errors() > 0 ? 1 : 0;
}
