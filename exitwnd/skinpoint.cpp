#include "exitwnd/skinpoint.h"

namespace {

// Larger than any picture can be, small enough that adding a picture's size to it
// never overflows.
constexpr int LARGEST_COORDINATE = 65535;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the next run of digits at or after text; text moves past it.
int NextNumber(const char*& text) {
    while (*text && !IsDigit(*text))
        ++text;
    int value = 0;
    for (; IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > LARGEST_COORDINATE)
            value = LARGEST_COORDINATE;
    }
    return value;
}

} // namespace

SkinPoint ParseSkinPoint(const char* text) {
    if (!text)
        return {0, 0};
    int x = NextNumber(text);
    int y = NextNumber(text);
    return {x, y};
}
