// Captures a window as it draws itself, or a part of the screen as the user sees it.
#pragma once

#include "host/screenimage.h"

#include <windows.h>

#include <functional>

class CWindowCapture {
public:
    // The whole window, frame included; false when the window cannot be drawn.
    static bool Capture(HWND window, ScreenImage& image);
    // What the screen shows inside the rectangle, windows over it included.
    static bool CaptureScreen(const RECT& area, ScreenImage& image);
    // A picture of the given size, as `draw` draws it into a memory device context;
    // false when the context cannot be made or `draw` fails.
    static bool Render(int width, int height, const std::function<bool(HDC)>& draw,
                       ScreenImage& image);
};
