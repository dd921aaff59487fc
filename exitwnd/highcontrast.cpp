#include "exitwnd/highcontrast.h"

#include "base/owners.h"
#include "exitwnd/screenarea.h"

#include <algorithm>

HighContrast HighContrast::Now() {
    HighContrast now;
    HIGHCONTRASTA mode = {};
    mode.cbSize = sizeof mode;
    now.on = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof mode, &mode, 0) &&
             (mode.dwFlags & HCF_HIGHCONTRASTON);
    if (!now.on)
        return now;
    // Window text on the window colour rather than button text: the captions are labels
    // on the window, not text on a button face, and every high-contrast scheme makes
    // this pair readable whatever picture lies beneath.
    now.text = GetSysColor(COLOR_WINDOWTEXT);
    now.window = GetSysColor(COLOR_WINDOW);
    // Two rings of a pair that always contrast, so that one shows on any picture.
    now.outline = GetSysColor(COLOR_HIGHLIGHT);
    now.outlineInner = GetSysColor(COLOR_HIGHLIGHTTEXT);
    now.ringWidth = std::max(1, MulDiv(1, CScreenArea::DpiOf(nullptr), SkinFit::BASE_DPI));
    return now;
}

bool HighContrast::operator==(const HighContrast& other) const {
    return on == other.on && text == other.text && window == other.window &&
           outline == other.outline && outlineInner == other.outlineInner &&
           ringWidth == other.ringWidth;
}

void HighContrast::SelectCaptionColours(HDC dc, COLORREF skinColour) const {
    if (!on) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, skinColour);
        return;
    }
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, window);
    SetTextColor(dc, text);
}

void HighContrast::MarkFocus(HDC dc, const RECT& button) const {
    if (!on)
        return;
    RECT ring = button;
    for (COLORREF colour : {outline, outlineInner}) {
        Brush brush(CreateSolidBrush(colour));
        for (int line = 0; line < ringWidth; ++line) {
            InflateRect(&ring, -1, -1);
            FrameRect(dc, &ring, brush.Get());
        }
    }
}
