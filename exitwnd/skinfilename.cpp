#include "exitwnd/skinfilename.h"

#include <cstring>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

bool LeavesSkinFolder(const char* value) {
    if (!value || !value[0] || IsSeparator(value[0]) || std::strchr(value, ':'))
        return true;
    for (const char* part = value; *part;) {
        const char* end = part;
        while (*end && !IsSeparator(*end))
            ++end;
        if (end - part == 2 && part[0] == '.' && part[1] == '.')
            return true;
        part = *end ? end + 1 : end;
    }
    return false;
}
