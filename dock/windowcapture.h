// Captures a window as it draws itself, without depending on what covers it on the
// screen.
#pragma once

#include "dock/screenimage.h"

#include <windows.h>

class CWindowCapture {
public:
    // The whole window, frame included; false when the window cannot be drawn.
    static bool Capture(HWND window, ScreenImage& image);
};
