// What a check found, as a person reads it: errors make the tool fail, warnings point
// at what is probably not meant.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class CFindings {
public:
    struct Finding {
        bool error;
        std::string text;
        std::string where; // such as "Glass\quiescorskin.ini:12"; may be empty
    };

    void Error(std::string text, std::string where = {}) {
        findings.push_back({true, std::move(text), std::move(where)});
    }
    void Warning(std::string text, std::string where = {}) {
        findings.push_back({false, std::move(text), std::move(where)});
    }

    const std::vector<Finding>& All() const { return findings; }
    int Errors() const;
    int Warnings() const;
    // The first finding whose text holds the words, or null.
    const Finding* Find(const std::string& words) const;

    // Writes every finding and a closing count; the tool's exit status (1 with errors).
    int Report(std::FILE* out, const std::string& subject) const;

private:
    std::vector<Finding> findings;
};
