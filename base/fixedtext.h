// Texts in the fixed, NUL-terminated buffers of the plug-in's ANSI interfaces.
#pragma once

#include <windows.h>

#include <cstring>
#include <initializer_list>

// As much of the source as fits, always terminated.
template <size_t N> void CopyText(char (&target)[N], const char* source) {
    lstrcpynA(target, source, N);
}

// The parts joined into one path; false, and the path empty, when they do not fit a path
// together: a path cut short would name another file.
inline bool JoinPath(std::initializer_list<const char*> parts, char (&path)[MAX_PATH]) {
    size_t used = 0;
    for (const char* part : parts) {
        const size_t length = std::strlen(part);
        if (used + length >= MAX_PATH) {
            path[0] = '\0';
            return false;
        }
        std::memcpy(path + used, part, length);
        used += length;
    }
    path[used] = '\0';
    return true;
}
