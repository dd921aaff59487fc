#include "fuzz/stubmarkupdevice.h"

#include "tooltip/markupchars.h"

namespace {

constexpr int BASE_HEIGHT = 13;
constexpr int SURROGATE_WIDTH = 7;
constexpr int COORD_LIMIT = 1 << 26;

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

bool IsAsciiSpace(char32_t code) {
    return code == ' ' || (code >= 9 && code <= 13);
}

bool IsAsciiPunctuation(char32_t code) {
    return (code >= 0x21 && code <= 0x2F) || (code >= 0x3A && code <= 0x40) ||
           (code >= 0x5B && code <= 0x60) || (code >= 0x7B && code <= 0x7E);
}

} // namespace

void CStubMarkupDevice::SelectFont(const MarkupFontStyle& selected) {
    Check(selected.weight >= 0 && selected.weight <= 900);
    style = selected;
}

int CStubMarkupDevice::FontHeight() const {
    return config.failing ? 0 : Height();
}

bool CStubMarkupDevice::FitText(const char16_t* text, int count, int maxExtent, int& fit,
                                int* extents, SIZE& size) const {
    Check(count >= 0);
    if (config.failing)
        return false;
    int extent = 0;
    fit = 0;
    for (int i = 0; i < count; ++i) {
        extent += UnitWidth(text[i]);
        extents[i] = extent;
        if (extent <= maxExtent)
            fit = i + 1;
    }
    size = {extent, Height()};
    return true;
}

bool CStubMarkupDevice::TextSize(const char16_t* text, int count, SIZE& size) const {
    Check(count >= 0);
    if (config.failing)
        return false;
    size = {Width(std::u16string_view(text, static_cast<size_t>(count))), Height()};
    return true;
}

void CStubMarkupDevice::DrawRun(int x, int y, const char16_t* text, int count) {
    Check(count > 0 && y >= top && x >= -COORD_LIMIT && x <= COORD_LIMIT);
    pieces.emplace_back(text, static_cast<size_t>(count));
}

// Tags must not reach the palette modes of the top byte.
void CStubMarkupDevice::SetTextColor(COLORREF color) {
    Check(color <= 0xFFFFFF);
}

void CStubMarkupDevice::SetBackground(COLORREF color, bool) {
    Check(color <= 0xFFFFFF);
}

void CStubMarkupDevice::DrawRule(int x, int end, int) {
    Check(end > x);
}

SIZE CStubMarkupDevice::Picture(const MarkupPicture& picture, const MarkupSpot&) {
    Check(picture.cx >= 0 && picture.cx <= MAX_PICTURE_SIZE && picture.cy >= 0 &&
          picture.cy <= MAX_PICTURE_SIZE && picture.mask <= 0xFFFFFF);
    switch (picture.kind) {
    case MarkupPictureKind::Named:
        return picture.name == u"a" ? SIZE{8, 8} : SIZE{0, 0};
    case MarkupPictureKind::ImageList:
        return picture.id < 4 ? SIZE{16, 16} : SIZE{0, 0};
    case MarkupPictureKind::Icon:
    case MarkupPictureKind::Bitmap:
        if (picture.id == 0 || picture.id > 0xFFFF)
            return {0, 0};
        return {picture.cx ? picture.cx : 16, picture.cy ? picture.cy : 20};
    }
    return {0, 0};
}

// An ideographic space and an em space; ideographic punctuation, an em dash and, beyond
// the basic plane, the Aegean word separators.
bool CStubMarkupDevice::IsSpace(char32_t code) const {
    return IsAsciiSpace(code) || code == 0x3000 || code == 0x2003;
}

bool CStubMarkupDevice::IsPunctuation(char32_t code) const {
    return IsAsciiPunctuation(code) || (code >= 0x3001 && code <= 0x3003) || code == 0x2014 ||
           (code >= 0x10100 && code <= 0x10102);
}

int CStubMarkupDevice::Width(std::u16string_view text) const {
    int width = 0;
    for (char16_t unit : text)
        width += UnitWidth(unit);
    return width;
}

int CStubMarkupDevice::Height() const {
    return style.weight > 400 ? BASE_HEIGHT + 2 : BASE_HEIGHT;
}

int CStubMarkupDevice::UnitWidth(char16_t unit) const {
    if (unit < 0x20)
        return 0;
    const int styled = (style.weight > 400 ? 1 : 0) + (style.italic ? 1 : 0);
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit))
        return SURROGATE_WIDTH + styled;
    if (unit >= 0x80)
        return 6 + unit % 7 + styled;
    return 3 + unit % 9 + styled;
}
