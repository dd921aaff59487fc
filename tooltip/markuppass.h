// One pass of the markup engine over a text: the working state of a single
// RenderText call, gone when it returns. It reaches the system only through its
// device.
#pragma once

#include "tooltip/markupdevice.h"
#include "tooltip/markuptags.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMarkupReader;

// What a measuring pass leaves for the drawing pass.
struct MarkupLayout {
    std::vector<int> lineWidths;
    std::vector<int> lineHeights;
    std::vector<int> tabStops;
};

// The palette entries the tags fall back to.
namespace MarkupPalette {
constexpr int SIZE = 26;
constexpr int textColor = 17;
constexpr int bkBeginColor = 18;
} // namespace MarkupPalette

// What the owner configures: the wrapping width, the base font's weight (bold doubles
// it) and the palette of MarkupPalette::SIZE colours.
struct MarkupStyle {
    int maxTextWidth;
    LONG baseWeight;
    const COLORREF* palette;
};

class CMarkupPass {
public:
    CMarkupPass(const MarkupStyle& style, const MarkupFontStyle& baseFont, MarkupDevice& device,
                MarkupLayout& layout, const RECT& rect, bool measureOnly);
    CMarkupPass(const CMarkupPass&) = delete;
    CMarkupPass& operator=(const CMarkupPass&) = delete;

    SIZE Run(std::u16string_view text);

private:
    enum class Alignment { Left, Centre, Right };
    struct RunFit {
        size_t count;
        int extent;
        int height;
    };

    // Tabs on a line and the width of what follows the last of them.
    struct LineTabs {
        size_t count;
        int lastColumnWidth;
    };

    bool HasPending() const { return runPlaced < run.size(); }
    void PlaceRun();
    RunFit FitRun(std::u16string_view text) const;
    void HandleTag(CMarkupReader& reader);
    bool FontTag(MarkupTagKind kind, bool closing);
    bool LayoutTag(const MarkupTag& tag, CMarkupReader& reader);
    bool ColorTag(MarkupTagKind kind, bool closing, CMarkupReader& reader);
    bool PictureTag(MarkupTagKind kind, CMarkupReader& reader);
    void LineBreak(uint32_t count);
    void Tab();
    void WidenColumn(size_t column);
    int ColumnStop(size_t column) const;
    void SettleTabColumns();
    void Rule(uint32_t amount, bool percent);
    void DrawRule(int width);
    void PlacePicture(SIZE size);
    void ApplyAlignment();
    void SetBackground(COLORREF color, bool closing);
    void SpreadPercentRules();
    int LineHeight() const;
    int LineWidth() const;
    int TextWidth(const char16_t* text, size_t count) const;
    MarkupSpot Spot() const;

    MarkupStyle style;
    MarkupDevice& device;
    MarkupLayout& layout;
    RECT rect;
    bool measureOnly;
    MarkupFontStyle workingFont;
    int x;
    int y;
    int lineOrigin;  // where the line begins once aligned
    int columnStart; // where the current tab column begins
    size_t line = 0;
    size_t tab = 0;
    int tmHeight = 0;
    int currentHeight = 0;
    int widest = 0;
    Alignment alignment = Alignment::Left;
    bool lineStart = true;
    std::u16string run;   // the text run being placed, line by line
    size_t runPlaced = 0; // how much of it is placed; the rest is pending
    std::vector<int> percentRules{0};
    std::vector<int> columnWidths;  // measuring: each tab column's widest use, gap included
    std::vector<LineTabs> lineTabs; // measuring: one entry per line
};
