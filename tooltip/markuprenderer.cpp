#include "tooltip/markuprenderer.h"

#include "tooltip/gdimarkupdevice.h"

namespace {

constexpr COLORREF FIXED_COLORS[16] = {
    RGB(0, 0, 0),     RGB(0, 0, 128),   RGB(0, 128, 0),     RGB(0, 128, 128),
    RGB(128, 0, 0),   RGB(128, 0, 128), RGB(128, 128, 0),   RGB(128, 128, 128),
    RGB(0, 0, 255),   RGB(0, 255, 0),   RGB(0, 255, 255),   RGB(255, 0, 0),
    RGB(255, 0, 255), RGB(255, 255, 0), RGB(192, 192, 192), RGB(255, 255, 255)};

} // namespace

CMarkupRenderer::CMarkupRenderer(HMODULE moduleInstance) : moduleInstance(moduleInstance) {
    for (int i = 0; i < 16; ++i)
        palette[i] = FIXED_COLORS[i];
    palette[16] = GetSysColor(COLOR_GRAYTEXT);
    palette[textColor] = GetSysColor(COLOR_INFOTEXT);
    palette[bkBeginColor] = GetSysColor(COLOR_INFOBK);
    palette[bkMidColor] = GetSysColor(COLOR_INFOBK);
    palette[bkEndColor] = GetSysColor(COLOR_INFOBK);
    palette[21] = RGB(0, 0, 238);
    palette[22] = RGB(85, 26, 139);
    palette[23] = RGB(255, 0, 0);
    palette[shadowColor] = GetSysColor(COLOR_BTNSHADOW);
    palette[borderColor] = GetSysColor(COLOR_INFOTEXT);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof baseFont, &baseFont);
}

void CMarkupRenderer::SetImageList(HIMAGELIST list, int cx, int cy) {
    imageList = list;
    imageListCx = cx;
    imageListCy = cy;
}

SIZE CMarkupRenderer::RenderText(HDC dc, const RECT& rect, const wchar_t* text, bool measureOnly) {
    if (measureOnly)
        layout = MarkupLayout{{}, {}, {0}};
    if (!dc || !text || !*text)
        return {0, 0};
    CGdiMarkupDevice device(*this, dc);
    const MarkupStyle style = {maxTextWidth, baseFont.lfWeight, palette};
    const MarkupFontStyle font = {baseFont.lfWeight, baseFont.lfItalic, baseFont.lfUnderline,
                                  baseFont.lfStrikeOut};
    CMarkupPass pass(style, font, device, layout, rect, measureOnly);
    // wchar_t and char16_t hold the same UTF-16 units here; a tooltip text is short.
    const std::wstring_view wide(text);
    return pass.Run(std::u16string(wide.begin(), wide.end()));
}
