// Pixels captured from the screen: top-down rows of blue, green, red and one unused
// byte per pixel, the layout of a 32-bit DIB section.
#pragma once

#include <windows.h>

#include <vector>

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<BYTE> bgrx;
};
