// Paints a tip into a device context that already holds the pixels under it.
#pragma once

#include "tooltip/markuprenderer.h"
#include "tooltip/tipgeometry.h"
#include "tooltip/toolinfo.h"

#include <windows.h>

struct TipPicture {
    const ToolInfo& tool; // style and effect already resolved
    DWORD direction;      // as placed
    const TipMetrics& metrics;
    HRGN windowRgn;
    HRGN shadowRgn;
    SIZE iconSize;
    SIZE textSize;
};

// rect is the window's client area less one pixel on the right and bottom. The renderer
// must have measured the tool's text last.
void PaintTip(HDC dc, RECT rect, const TipPicture& tip, CMarkupRenderer& renderer);
