#include "fuzz/stubmarkupdevice.h"

namespace {

constexpr int BASE_HEIGHT = 13;
constexpr int DOUBLE_WIDTH = 14;
constexpr int COORD_LIMIT = 1 << 26;

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

bool IsAsciiSpace(unsigned code) {
    return code == ' ' || (code >= 9 && code <= 13);
}

bool IsAsciiPunctuation(unsigned code) {
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

bool CStubMarkupDevice::FitText(const char* text, int count, int maxExtent, int& fit, int* extents,
                                SIZE& size) const {
    Check(count >= 0);
    if (config.failing)
        return false;
    int extent = 0;
    fit = 0;
    for (int i = 0; i < count; ++i) {
        extent += CharWidth(static_cast<BYTE>(text[i]));
        extents[i] = extent;
        if (extent <= maxExtent)
            fit = i + 1;
    }
    size = {extent, Height()};
    return true;
}

bool CStubMarkupDevice::TextSize(const char* text, int count, SIZE& size) const {
    Check(count >= 0);
    if (config.failing)
        return false;
    size = {Width(std::string_view(text, static_cast<size_t>(count))), Height()};
    return true;
}

void CStubMarkupDevice::DrawRun(int x, int y, const char* text, int count) {
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
        return picture.name == "a" ? SIZE{8, 8} : SIZE{0, 0};
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

bool CStubMarkupDevice::IsLeadByte(BYTE c) const {
    return config.doubleByte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

bool CStubMarkupDevice::IsSpace(unsigned code) const {
    return IsAsciiSpace(code) || (config.doubleByte && code == 0x8140);
}

bool CStubMarkupDevice::IsPunctuation(unsigned code) const {
    return IsAsciiPunctuation(code) || (config.doubleByte && code >= 0x8141 && code <= 0x8149);
}

size_t CStubMarkupDevice::CharLength(std::string_view text, size_t at) const {
    return IsLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

unsigned CStubMarkupDevice::CharCode(std::string_view text, size_t at) const {
    const unsigned lead = static_cast<BYTE>(text[at]);
    return CharLength(text, at) == 2 ? lead << 8 | static_cast<BYTE>(text[at + 1]) : lead;
}

int CStubMarkupDevice::Width(std::string_view text) const {
    int width = 0;
    for (size_t at = 0; at < text.size(); at += CharLength(text, at)) {
        width += CharLength(text, at) == 2 ? DOUBLE_WIDTH : CharWidth(static_cast<BYTE>(text[at]));
    }
    return width;
}

int CStubMarkupDevice::Height() const {
    return style.weight > 400 ? BASE_HEIGHT + 2 : BASE_HEIGHT;
}

int CStubMarkupDevice::CharWidth(BYTE c) const {
    if (c < 0x20)
        return 0;
    return 3 + c % 9 + (style.weight > 400 ? 1 : 0) + (style.italic ? 1 : 0);
}
