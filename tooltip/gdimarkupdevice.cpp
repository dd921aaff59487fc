#include "tooltip/gdimarkupdevice.h"

#include "tooltip/markuppictures.h"
#include "tooltip/markuprenderer.h"

static_assert(sizeof(char16_t) == sizeof(WCHAR), "markup text goes to GDI as it is");

namespace {

LPCWSTR Wide(const char16_t* text) {
    return reinterpret_cast<LPCWSTR>(text);
}

} // namespace

CGdiMarkupDevice::CGdiMarkupDevice(const CMarkupRenderer& renderer, HDC dc)
    : renderer(renderer), dc(dc) {}

// The context's own font is back before each working font is replaced.
void CGdiMarkupDevice::SelectFont(const MarkupFontStyle& style) {
    fontSelected.reset();
    LOGFONTW logFont = renderer.baseFont;
    // Whatever the script, the font mapper then finds a face with its glyphs.
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfWeight = style.weight;
    logFont.lfItalic = style.italic;
    logFont.lfUnderline = style.underline;
    logFont.lfStrikeOut = style.strikeOut;
    font.Reset(CreateFontIndirectW(&logFont));
    if (font)
        fontSelected.emplace(dc, font.Get());
}

int CGdiMarkupDevice::FontHeight() const {
    TEXTMETRICW metrics = {};
    return GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
}

bool CGdiMarkupDevice::FitText(const char16_t* text, int count, int maxExtent, int& fit,
                               int* extents, SIZE& size) const {
    return GetTextExtentExPointW(dc, Wide(text), count, maxExtent, &fit, extents, &size) != FALSE;
}

bool CGdiMarkupDevice::TextSize(const char16_t* text, int count, SIZE& size) const {
    return GetTextExtentPoint32W(dc, Wide(text), count, &size) != FALSE;
}

void CGdiMarkupDevice::DrawRun(int x, int y, const char16_t* text, int count) {
    TextOutW(dc, x, y, Wide(text), count);
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

// The system classes UTF-16 units, not pairs: a character beyond the basic plane is
// taken as neither space nor punctuation.
WORD CGdiMarkupDevice::CharType(char32_t code) const {
    if (code > 0xFFFF)
        return 0;
    const WCHAR unit = static_cast<WCHAR>(code);
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &unit, 1, &type) ? type : 0;
}

bool CGdiMarkupDevice::IsSpace(char32_t code) const {
    return (CharType(code) & C1_SPACE) != 0;
}

bool CGdiMarkupDevice::IsPunctuation(char32_t code) const {
    return (CharType(code) & C1_PUNCT) != 0;
}
