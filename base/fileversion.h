// The fixed file version of a module's version information.
#pragma once

#include <windows.h>

struct FileVersion {
    DWORD mostSignificant = 0;
    DWORD leastSignificant = 0;
};

inline bool operator==(const FileVersion& one, const FileVersion& other) {
    return one.mostSignificant == other.mostSignificant &&
           one.leastSignificant == other.leastSignificant;
}

// The only version the plug-in takes a language module of: 1.2.0.0.
constexpr FileVersion LANGUAGE_MODULE_VERSION = {0x00010002, 0};

// False, leaving version as it was, when the file has no version information to read.
bool ReadFileVersion(const char* path, FileVersion& version);
// The same for a loaded module; false too when its path does not fit a path buffer.
bool ReadModuleVersion(HMODULE module, FileVersion& version);
