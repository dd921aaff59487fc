// A measuring device for the markup layout without GDI: widths by UTF-16 unit and style
// like a proportional font, control characters of no width, and each half of a
// surrogate pair as wide as the other, so that a fit can end between them. It classes
// code points, some beyond the basic plane among them, as spaces and punctuation; it
// checks what the layout hands it and keeps the pieces of text drawn.
#pragma once

#include "tooltip/markupdevice.h"

#include <string>
#include <string_view>
#include <vector>

struct StubConfig {
    int maxTextWidth;
    bool failing; // every font, measurement and metric fails
};

class CStubMarkupDevice final : public MarkupDevice {
public:
    CStubMarkupDevice(const StubConfig& config, int top) : config(config), top(top) {}

    void SelectFont(const MarkupFontStyle& selected) override;
    int FontHeight() const override;
    bool FitText(const char16_t* text, int count, int maxExtent, int& fit, int* extents,
                 SIZE& size) const override;
    bool TextSize(const char16_t* text, int count, SIZE& size) const override;
    void DrawRun(int x, int y, const char16_t* text, int count) override;
    void SetTextColor(COLORREF color) override;
    void SetBackground(COLORREF color, bool opaque) override;
    void DrawRule(int x, int end, int y) override;
    SIZE Picture(const MarkupPicture& picture, const MarkupSpot& spot) override;
    bool IsSpace(char32_t code) const override;
    bool IsPunctuation(char32_t code) const override;

    int Width(std::u16string_view text) const;
    const std::vector<std::u16string>& Pieces() const { return pieces; }

private:
    int Height() const;
    int UnitWidth(char16_t unit) const;

    StubConfig config;
    int top;
    MarkupFontStyle style = {};
    std::vector<std::u16string> pieces;
};
