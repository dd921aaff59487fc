// The system's high-contrast mode as the exit window follows it. While it is on, the
// focused button is outlined in the system's selection colours and the built-in skin's
// captions take the system's window colours, whatever the skin's pictures look like.
#pragma once

#include <windows.h>

struct HighContrast {
    bool on = false;
    // The system colours the window takes while the mode is on; zero while it is off, so
    // that a change of colours alone makes no difference then.
    COLORREF text = 0;
    COLORREF window = 0;
    COLORREF outline = 0;
    COLORREF outlineInner = 0;
    // Each ring's width, which grows with the screen's resolution.
    int ringWidth = 0;

    static HighContrast Now();
    bool operator==(const HighContrast& other) const;
    bool operator!=(const HighContrast& other) const { return !(*this == other); }

    // Captions in the skin's colour straight over the skin, or in the system's text
    // colour on its window colour.
    void SelectCaptionColours(HDC dc, COLORREF skinColour) const;
    // Outlines a focused button just inside its rectangle.
    void MarkFocus(HDC dc, const RECT& button) const;
};
