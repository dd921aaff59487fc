#include "tools/profilefile.h"

#include <cctype>
#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const char* spaces = " \t\r";
    const size_t first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

// Windows drops one pair of quotes around a value.
std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

bool CProfileFile::SameName(const std::string& one, const std::string& other) {
    if (one.size() != other.size())
        return false;
    for (size_t i = 0; i < one.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(one[i])) !=
            std::tolower(static_cast<unsigned char>(other[i])))
            return false;
    }
    return true;
}

bool CProfileFile::Load(const std::string& path) {
    sections.clear();
    strayLines.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string text;
    for (int line = 1; std::getline(file, text); ++line) {
        if (line == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text.erase(0, 3);
        text = Trimmed(text);
        if (text.empty() || text[0] == ';')
            continue;
        if (text[0] == '[') {
            const size_t end = text.find(']');
            sections.push_back(
                {Trimmed(text.substr(1, end == std::string::npos ? end : end - 1)), line, {}});
            continue;
        }
        if (sections.empty()) {
            strayLines.push_back(line);
            continue;
        }
        const size_t equals = text.find('=');
        ProfileEntry entry;
        entry.line = line;
        entry.hasEquals = equals != std::string::npos;
        entry.key = Trimmed(text.substr(0, equals));
        if (entry.hasEquals)
            entry.value = Unquoted(Trimmed(text.substr(equals + 1)));
        sections.back().entries.push_back(std::move(entry));
    }
    return !file.bad();
}

const ProfileSection* CProfileFile::FindSection(const std::string& name) const {
    for (const ProfileSection& section : sections) {
        if (SameName(section.name, name))
            return &section;
    }
    return nullptr;
}

const ProfileEntry* CProfileFile::Find(const std::string& sectionName,
                                       const std::string& key) const {
    const ProfileSection* section = FindSection(sectionName);
    if (!section)
        return nullptr;
    for (const ProfileEntry& entry : section->entries) {
        if (SameName(entry.key, key))
            return &entry;
    }
    return nullptr;
}
