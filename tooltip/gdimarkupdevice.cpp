#include "tooltip/gdimarkupdevice.h"

#include "tooltip/markuppictures.h"
#include "tooltip/markuprenderer.h"

#include <mbstring.h>

CGdiMarkupDevice::CGdiMarkupDevice(const CMarkupRenderer& renderer, HDC dc)
    : renderer(renderer), dc(dc) {}

// The context's own font is back before each working font is replaced.
void CGdiMarkupDevice::SelectFont(const MarkupFontStyle& style) {
    fontSelected.reset();
    LOGFONTA logFont = renderer.baseFont;
    logFont.lfWeight = style.weight;
    logFont.lfItalic = style.italic;
    logFont.lfUnderline = style.underline;
    logFont.lfStrikeOut = style.strikeOut;
    font.Reset(CreateFontIndirectA(&logFont));
    if (font)
        fontSelected.emplace(dc, font.Get());
}

int CGdiMarkupDevice::FontHeight() const {
    TEXTMETRICA metrics = {};
    return GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 0;
}

bool CGdiMarkupDevice::FitText(const char* text, int count, int maxExtent, int& fit, int* extents,
                               SIZE& size) const {
    return GetTextExtentExPointA(dc, text, count, maxExtent, &fit, extents, &size) != FALSE;
}

bool CGdiMarkupDevice::TextSize(const char* text, int count, SIZE& size) const {
    return GetTextExtentPoint32A(dc, text, count, &size) != FALSE;
}

void CGdiMarkupDevice::DrawRun(int x, int y, const char* text, int count) {
    TextOutA(dc, x, y, text, count);
}

void CGdiMarkupDevice::SetTextColor(COLORREF color) {
    ::SetTextColor(dc, color);
}

void CGdiMarkupDevice::SetBackground(COLORREF color, bool opaque) {
    SetBkColor(dc, color);
    SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
}

void CGdiMarkupDevice::DrawRule(int x, int end, int y) {
    Pen pen(CreatePen(PS_SOLID, 1, GetTextColor(dc)));
    if (!pen)
        return;
    Selection selection(dc, pen.Get());
    MoveToEx(dc, x, y, nullptr);
    LineTo(dc, end, y);
}

SIZE CGdiMarkupDevice::Picture(const MarkupPicture& picture, const MarkupSpot& at) {
    const PictureSpot spot = {dc, at.x, at.y, at.lineHeight, at.measureOnly};
    const HMODULE module = renderer.ModuleInstance();
    switch (picture.kind) {
    case MarkupPictureKind::Named:
        return DrawNamedImage(spot, module, renderer.NamedImages(), picture.name, picture.cx,
                              picture.cy);
    case MarkupPictureKind::ImageList: {
        const SIZE cell = renderer.ImageListSize();
        return DrawImageListIcon(spot, renderer.ImageList(), picture.id, cell.cx, cell.cy);
    }
    case MarkupPictureKind::Icon:
        return DrawResIcon(spot, module, picture.id, picture.cx, picture.cy);
    case MarkupPictureKind::Bitmap:
        return DrawResBitmap(spot, module, picture.id, picture.masked, picture.mask, picture.cx,
                             picture.cy);
    }
    return {0, 0};
}

bool CGdiMarkupDevice::IsLeadByte(BYTE c) const {
    return IsDBCSLeadByte(c) != FALSE;
}

bool CGdiMarkupDevice::IsSpace(unsigned code) const {
    return _ismbcspace(code) != 0;
}

bool CGdiMarkupDevice::IsPunctuation(unsigned code) const {
    return _ismbcpunct(code) != 0;
}
