#include "tooltip/markuppass.h"

#include "tooltip/markupchars.h"
#include "tooltip/markupreader.h"
#include "tooltip/markuptags.h"

#include <algorithm>
#include <vector>

namespace {

// Counts, sizes and percentages from a tag are cut to this; positions to COORD_LIMIT,
// so that hostile numbers neither overflow nor ask for absurd layouts.
constexpr uint32_t MAX_TAG_NUMBER = 32767;
constexpr long long COORD_LIMIT = 1 << 26;
constexpr COLORREF DEFAULT_MASK = RGB(255, 0, 255);
// Room beyond twice the count for the extents GetTextExtentExPointW returns.
constexpr size_t EXTENT_SLACK = 16;
// Tabs beyond this many on one line all go to the last column.
constexpr size_t MAX_TAB_COLUMNS = 256;

int Clamped(long long value) {
    return static_cast<int>(std::clamp(value, -COORD_LIMIT, COORD_LIMIT));
}

int Offset(int position, long long delta) {
    return Clamped(position + delta);
}

int TagNumber(uint32_t value) {
    return static_cast<int>(std::min(value, MAX_TAG_NUMBER));
}

int PictureNumber(uint32_t value) {
    return static_cast<int>(std::min<uint32_t>(value, MAX_PICTURE_SIZE));
}

// value × percent / 100, rounded half away from zero like MulDiv.
long long Percentage(long long value, long long percent) {
    const long long product = value * percent;
    return product >= 0 ? (product + 50) / 100 : (product - 50) / 100;
}

bool IsSpace(const MarkupDevice& device, std::u16string_view text, size_t at) {
    return device.IsSpace(CodePointAt(text, at));
}

bool IsBreakChar(const MarkupDevice& device, std::u16string_view text, size_t at) {
    const char32_t code = CodePointAt(text, at);
    return device.IsSpace(code) || device.IsPunctuation(code);
}

size_t LeadingSpace(const MarkupDevice& device, std::u16string_view text) {
    size_t at = 0;
    while (at < text.size() && IsSpace(device, text, at))
        at += CharLength(text, at);
    return at;
}

// Where a run that fits only up to unit n is cut: at a space or punctuation character
// at or before n, else at n. Never inside a surrogate pair, never at 0.
size_t BreakPoint(const MarkupDevice& device, std::u16string_view run, size_t n) {
    if (InsidePair(run, n))
        --n;
    if (n > 0 && IsBreakChar(device, run, n))
        return n;
    for (size_t at = n; at-- > 1;) {
        if (!InsidePair(run, at) && IsBreakChar(device, run, at))
            return at;
    }
    // Not even the first character fits: it goes on the line by itself.
    return n > 0 ? n : CharLength(run, 0);
}

// Reads the parameters into the picture; stops at the first one the tag does not know.
void ReadPictureParams(CMarkupReader& reader, int maxCount, bool takesMask,
                       MarkupPicture& picture) {
    picture.mask = DEFAULT_MASK;
    for (int read = 0; read < maxCount; ++read) {
        const std::u16string name = reader.ReadParamName();
        if (SameMarkupName(name, "cx")) {
            picture.cx = PictureNumber(reader.ReadNumber(0));
        } else if (SameMarkupName(name, "cy")) {
            picture.cy = PictureNumber(reader.ReadNumber(0));
        } else if (takesMask && SameMarkupName(name, "mask")) {
            picture.masked = true;
            picture.mask = reader.ReadNumber(DEFAULT_MASK) & 0x00FFFFFF;
        } else {
            break;
        }
    }
}

} // namespace

CMarkupPass::CMarkupPass(const MarkupStyle& style, const MarkupFontStyle& baseFont,
                         MarkupDevice& device, MarkupLayout& layout, const RECT& rect,
                         bool measureOnly)
    : style(style), device(device), layout(layout), rect(rect), measureOnly(measureOnly),
      workingFont(baseFont), x(rect.left), y(rect.top), lineOrigin(rect.left),
      columnStart(rect.left) {
    device.SelectFont(workingFont);
    device.SetTextColor(style.palette[MarkupPalette::textColor]);
    tmHeight = device.FontHeight();
    currentHeight = measureOnly ? tmHeight : LineHeight();
}

SIZE CMarkupPass::Run(std::u16string_view text) {
    CMarkupReader reader(text);
    for (;;) {
        // The end closes the last line, however the text ends.
        if (!HasPending() && reader.AtEnd()) {
            LineBreak(1);
            break;
        }
        if (HasPending()) {
            PlaceRun();
            continue;
        }
        run = reader.ReadTextRun();
        runPlaced = 0;
        if (!run.empty()) {
            PlaceRun();
            continue;
        }
        HandleTag(reader);
        reader.SkipToTagEnd();
        reader.Advance();
    }
    if (measureOnly) {
        SettleTabColumns();
        SpreadPercentRules();
    }
    return {measureOnly ? widest : 0, Clamped(static_cast<long long>(y) - rect.top)};
}

// Places as much of the run as fits on the line; the rest stays in place for the next
// line, so that a long paragraph costs time in proportion to its length.
void CMarkupPass::PlaceRun() {
    ApplyAlignment();
    std::u16string_view rest(run);
    rest.remove_prefix(runPlaced);
    const size_t space = LeadingSpace(device, rest);
    rest.remove_prefix(space);
    runPlaced += space;
    if (rest.empty())
        return;
    const RunFit fit = FitRun(rest);
    const int startX = x;
    x = Offset(x, fit.extent);
    if (measureOnly)
        currentHeight = std::max(currentHeight, fit.height);
    else
        device.DrawRun(startX, y + LineHeight() - tmHeight, rest.data(),
                       static_cast<int>(fit.count));
    runPlaced += fit.count;
    if (HasPending())
        LineBreak(1);
}

CMarkupPass::RunFit CMarkupPass::FitRun(std::u16string_view text) const {
    // Nothing past this many units can fit unless characters are under a pixel wide;
    // measuring less keeps a long run that wraps many times from costing n².
    const int maxExtent = std::max(style.maxTextWidth, 0);
    const size_t measured = std::min(text.size(), static_cast<size_t>(maxExtent) + 64);
    // Some versions of GDI write past the count they are given and report more fitting
    // characters than asked for: the array has room beyond the count and the answer is
    // clamped.
    std::vector<int> extents(2 * measured + EXTENT_SLACK);
    int fit = 0;
    SIZE size = {};
    if (!device.FitText(text.data(), static_cast<int>(measured), maxExtent, fit, extents.data(),
                        size))
        return {text.size(), 0, tmHeight};
    size_t count = std::min(static_cast<size_t>(std::max(fit, 0)), measured);
    const size_t fitting = count;
    if (count < text.size())
        count = BreakPoint(device, text, count);
    const int extent = count <= fitting ? extents[count - 1] : TextWidth(text.data(), count);
    return {count, extent, size.cy};
}

void CMarkupPass::HandleTag(CMarkupReader& reader) {
    std::u16string name = reader.ReadTagName();
    const bool closing = !name.empty() && name[0] == u'/';
    if (closing)
        name.erase(0, 1);
    const MarkupTag* tag = FindMarkupTag(name);
    if (!tag)
        return;
    if (FontTag(tag->kind, closing) || LayoutTag(*tag, reader) ||
        ColorTag(tag->kind, closing, reader))
        return;
    if (tag->kind == MarkupTagKind::Rule) {
        const std::u16string value = reader.ReadValue();
        const uint32_t amount = value.empty() ? 100 : CMarkupReader::ToNumber(value);
        Rule(amount, !value.empty() && value.back() == u'%');
        return;
    }
    PictureTag(tag->kind, reader);
}

bool CMarkupPass::FontTag(MarkupTagKind kind, bool closing) {
    const BYTE on = closing ? 0 : 1;
    switch (kind) {
    case MarkupTagKind::Bold: {
        const LONG base = style.baseWeight;
        workingFont.weight = closing ? base : static_cast<LONG>(std::min(2LL * base, 900LL));
        break;
    }
    case MarkupTagKind::Italic:
        workingFont.italic = on;
        break;
    case MarkupTagKind::Underline:
        workingFont.underline = on;
        break;
    case MarkupTagKind::StrikeOut:
        workingFont.strikeOut = on;
        break;
    default:
        return false;
    }
    device.SelectFont(workingFont);
    return true;
}

// A line feed or a tab in the text reads no value: what follows it is text again.
bool CMarkupPass::LayoutTag(const MarkupTag& tag, CMarkupReader& reader) {
    const bool hasValue = tag.value != MarkupValue::None;
    switch (tag.kind) {
    case MarkupTagKind::LineBreak:
        LineBreak(hasValue ? reader.ReadNumber(1) : 1);
        break;
    case MarkupTagKind::Tab:
        if (hasValue)
            reader.ReadNumber(0);
        Tab();
        break;
    case MarkupTagKind::AlignLeft:
        alignment = Alignment::Left;
        break;
    case MarkupTagKind::AlignCentre:
        alignment = Alignment::Centre;
        break;
    case MarkupTagKind::AlignRight:
        alignment = Alignment::Right;
        break;
    default:
        return false;
    }
    return true;
}

bool CMarkupPass::ColorTag(MarkupTagKind kind, bool closing, CMarkupReader& reader) {
    const COLORREF* palette = style.palette;
    switch (kind) {
    case MarkupTagKind::TextColour:
        device.SetTextColor(reader.ReadColor(palette[MarkupPalette::textColor]));
        break;
    case MarkupTagKind::TextColourIndex:
        if (const uint32_t index = reader.ReadNumber(MarkupPalette::textColor);
            index < MarkupPalette::SIZE)
            device.SetTextColor(palette[index]);
        break;
    case MarkupTagKind::BackColour:
        SetBackground(reader.ReadColor(palette[MarkupPalette::bkBeginColor]), closing);
        break;
    case MarkupTagKind::BackColourIndex:
        if (const uint32_t index = reader.ReadNumber(MarkupPalette::bkBeginColor);
            index < MarkupPalette::SIZE)
            SetBackground(palette[index], closing);
        break;
    default:
        return false;
    }
    return true;
}

bool CMarkupPass::PictureTag(MarkupTagKind kind, CMarkupReader& reader) {
    MarkupPicture picture;
    switch (kind) {
    case MarkupTagKind::NamedPicture:
        picture.kind = MarkupPictureKind::Named;
        picture.name = reader.ReadValue();
        ReadPictureParams(reader, 2, false, picture);
        break;
    case MarkupTagKind::ImageListPicture:
        picture.kind = MarkupPictureKind::ImageList;
        picture.id = reader.ReadNumber(0);
        break;
    case MarkupTagKind::IconPicture:
        picture.kind = MarkupPictureKind::Icon;
        picture.id = reader.ReadNumber(0);
        ReadPictureParams(reader, 2, false, picture);
        break;
    case MarkupTagKind::BitmapPicture:
        picture.kind = MarkupPictureKind::Bitmap;
        picture.id = reader.ReadNumber(0);
        ReadPictureParams(reader, 3, true, picture);
        break;
    default:
        return false;
    }
    ApplyAlignment();
    PlacePicture(device.Picture(picture, Spot()));
    return true;
}

void CMarkupPass::LineBreak(uint32_t count) {
    const int lines = count == 0 ? 1 : TagNumber(count);
    if (measureOnly) {
        const int width = Clamped(static_cast<long long>(x) - rect.left);
        widest = std::max(widest, width);
        layout.lineWidths.push_back(width);
        layout.lineHeights.push_back(currentHeight);
        // A column that ends a line still keeps the next column of other lines at a
        // distance.
        if (tab != 0)
            WidenColumn(tab);
        lineTabs.push_back({tab, Clamped(static_cast<long long>(x) - columnStart)});
    }
    y = Offset(y, static_cast<long long>(lines) * LineHeight());
    ++line;
    tab = 0;
    percentRules.push_back(0);
    x = rect.left;
    lineOrigin = rect.left;
    columnStart = rect.left;
    lineStart = true;
    currentHeight = tmHeight;
}

// Tab columns are shared by all lines; a tab moves to the next column's start, measured
// from where the line begins (which alignment may have moved).
void CMarkupPass::Tab() {
    ApplyAlignment();
    if (measureOnly) {
        WidenColumn(tab);
        x = Offset(lineOrigin, ColumnStop(tab));
    } else if (!layout.tabStops.empty()) {
        x = Offset(lineOrigin, layout.tabStops[std::min(tab, layout.tabStops.size() - 1)]);
    }
    columnStart = x;
    ++tab;
}

// The column takes what it holds on this line and three spaces of gap.
void CMarkupPass::WidenColumn(size_t column) {
    if (column >= MAX_TAB_COLUMNS)
        return;
    if (columnWidths.size() <= column)
        columnWidths.resize(column + 1, 0);
    const long long used = static_cast<long long>(x) - columnStart + TextWidth(u"   ", 3);
    columnWidths[column] = std::max(columnWidths[column], Clamped(used));
}

// Where the column after the given one starts, from the line's beginning.
int CMarkupPass::ColumnStop(size_t column) const {
    long long stop = 0;
    for (size_t k = 0; k <= column && k < columnWidths.size(); ++k)
        stop += columnWidths[k];
    return Clamped(stop);
}

// Lines measured before a column grew are widened to what they will be drawn at.
void CMarkupPass::SettleTabColumns() {
    if (columnWidths.empty())
        return;
    std::vector<int>& stops = layout.tabStops;
    stops.clear();
    for (size_t k = 0; k < columnWidths.size(); ++k)
        stops.push_back(ColumnStop(k));
    std::vector<int>& widths = layout.lineWidths;
    for (size_t k = 0; k < lineTabs.size() && k < widths.size(); ++k) {
        const LineTabs& tabs = lineTabs[k];
        if (tabs.count == 0)
            continue;
        const size_t last = std::min(tabs.count, stops.size()) - 1;
        widths[k] = Clamped(static_cast<long long>(stops[last]) + tabs.lastColumnWidth);
        widest = std::max(widest, widths[k]);
    }
}

void CMarkupPass::Rule(uint32_t amount, bool percent) {
    ApplyAlignment();
    const int value = TagNumber(amount);
    long long width = value;
    if (percent && measureOnly) {
        percentRules[line] = Clamped(static_cast<long long>(percentRules[line]) + value);
        width = 0;
    } else if (percent) {
        width = std::max(Percentage(static_cast<long long>(rect.right) - rect.left, value), 0LL);
    }
    if (!measureOnly)
        DrawRule(Clamped(width));
    x = Offset(x, width);
}

void CMarkupPass::DrawRule(int width) {
    if (width > 0)
        device.DrawRule(x, Offset(x, width), y + LineHeight() / 2);
}

void CMarkupPass::PlacePicture(SIZE size) {
    if (measureOnly)
        currentHeight = std::max<int>(currentHeight, size.cy);
    x = Offset(x, size.cx);
}

void CMarkupPass::ApplyAlignment() {
    if (!lineStart)
        return;
    lineStart = false;
    if (measureOnly || alignment == Alignment::Left)
        return;
    const long long free = static_cast<long long>(rect.right) - rect.left - LineWidth();
    x = alignment == Alignment::Centre ? Offset(rect.left, free / 2)
                                       : Clamped(static_cast<long long>(rect.right) - LineWidth());
    lineOrigin = x;
    columnStart = x;
}

void CMarkupPass::SetBackground(COLORREF color, bool closing) {
    device.SetBackground(color, !closing);
}

void CMarkupPass::SpreadPercentRules() {
    std::vector<int>& widths = layout.lineWidths;
    const size_t lines = std::min(percentRules.size(), widths.size());
    for (size_t k = 0; k < lines; ++k) {
        if (percentRules[k] != 0)
            widths[k] = Clamped(widths[k] + Percentage(percentRules[k], widest));
    }
}

// The drawing pass takes line sizes from the tables; a line the tables do not know
// (they were measured from another text) gets the base font's height and no width.
int CMarkupPass::LineHeight() const {
    return line < layout.lineHeights.size() ? layout.lineHeights[line] : tmHeight;
}

int CMarkupPass::LineWidth() const {
    return line < layout.lineWidths.size() ? layout.lineWidths[line] : 0;
}

int CMarkupPass::TextWidth(const char16_t* text, size_t count) const {
    SIZE size = {};
    if (!device.TextSize(text, static_cast<int>(count), size))
        return 0;
    return size.cx;
}

MarkupSpot CMarkupPass::Spot() const {
    return {x, y, measureOnly ? 0 : LineHeight(), measureOnly};
}
