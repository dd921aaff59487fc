// A description file read the way GetPrivateProfileString reads it, but remembering the
// line of every section and key, so that a skin author is told where a problem is.
#pragma once

#include <string>
#include <vector>

struct ProfileEntry {
    std::string key;
    std::string value; // without the surrounding spaces, and quotes, that Windows drops
    int line = 0;
    bool hasEquals = true;
};

struct ProfileSection {
    std::string name;
    int line = 0;
    std::vector<ProfileEntry> entries;
};

class CProfileFile {
public:
    // False when the file cannot be read.
    bool Load(const std::string& path);

    const std::vector<ProfileSection>& Sections() const { return sections; }
    // Lines with text before the first section.
    const std::vector<int>& StrayLines() const { return strayLines; }

    // What Windows reads for the section and key: the first section of the name and
    // its first entry of the key, names compared without regard to case; null if none.
    const ProfileSection* FindSection(const std::string& name) const;
    const ProfileEntry* Find(const std::string& section, const std::string& key) const;

    static bool SameName(const std::string& one, const std::string& other);

private:
    std::vector<ProfileSection> sections;
    std::vector<int> strayLines;
};
