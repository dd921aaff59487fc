// Button positions in skin descriptions: two numbers separated by anything that is
// not a digit ("10,20", "x=10 y=20"). Free of Win32 so it is fuzzed natively too.
#pragma once

struct SkinPoint {
    int x;
    int y;
};

// Missing numbers are 0; numbers beyond any picture size are held at 65535.
SkinPoint ParseSkinPoint(const char* text);
