#include "tooltip/tippainter.h"

#include "base/owners.h"
#include "tooltip/tipbackground.h"

namespace {

// Destination AND shadow colour: the pixels under the shadow keep their pattern, darker.
void DarkenShadow(HDC dc, HRGN shadow, COLORREF color) {
    Brush brush(CreateSolidBrush(color));
    if (!brush)
        return;
    const int previous = SetROP2(dc, R2_MASKPEN);
    FillRgn(dc, shadow, brush.Get());
    SetROP2(dc, previous);
}

int IconTop(const RECT& rect, DWORD style, int iconHeight) {
    if (style & IconVCenter)
        return rect.top + (rect.bottom - iconHeight - rect.top) / 2;
    if (style & IconBottom)
        return rect.bottom - iconHeight;
    return rect.top;
}

} // namespace

void PaintTip(HDC dc, RECT rect, const TipPicture& tip, CMarkupRenderer& renderer) {
    const COLORREF* palette = renderer.palette;
    const TipMetrics& metrics = tip.metrics;
    const DWORD style = tip.tool.style;
    Brush border(CreateSolidBrush(palette[CMarkupRenderer::borderColor]));
    SetBkMode(dc, TRANSPARENT);
    if (style & TipShadow) {
        DarkenShadow(dc, tip.shadowRgn, palette[CMarkupRenderer::shadowColor]);
        rect.right -= metrics.shadowDx;
        rect.bottom -= metrics.shadowDy;
    }
    SelectClipRgn(dc, tip.windowRgn);
    FillTipBackground(dc, rect, tip.tool.effect, palette[CMarkupRenderer::bkBeginColor],
                      palette[CMarkupRenderer::bkMidColor], palette[CMarkupRenderer::bkEndColor]);
    if (border)
        FrameRgn(dc, tip.windowRgn, border.Get(), metrics.borderWidth, metrics.borderHeight);

    InflateRect(&rect, -metrics.marginX, -metrics.marginY);
    if (IsBelow(tip.direction))
        rect.top += metrics.anchorHeight;
    else
        rect.bottom -= metrics.anchorHeight;
    if (tip.tool.icon) {
        const int top = IconTop(rect, style, tip.iconSize.cy);
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(tip.tool.icon), 0,
                   metrics.marginX, top, tip.iconSize.cx, tip.iconSize.cy, DST_ICON | DSS_NORMAL);
        rect.left += tip.iconSize.cx + metrics.marginX;
    }
    if (style & TextBottom)
        rect.top = rect.bottom - tip.textSize.cy;
    else if (style & TextVCenter)
        rect.top += (rect.bottom - tip.textSize.cy - rect.top) / 2;
    renderer.RenderText(dc, rect, tip.tool.text.c_str(), false);
    SelectClipRgn(dc, nullptr);
}
