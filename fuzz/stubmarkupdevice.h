// A measuring device for the markup layout without GDI: widths by character and style
// like a proportional font, double-byte characters wide, control characters of no
// width. The double-byte code page takes lead bytes as Shift-JIS does, with an
// ideographic space and punctuation. It checks what the layout hands it and keeps the
// pieces of text drawn.
#pragma once

#include "tooltip/markupdevice.h"

#include <string>
#include <string_view>
#include <vector>

struct StubConfig {
    bool doubleByte;
    int maxTextWidth;
    bool failing; // every font, measurement and metric fails
};

class CStubMarkupDevice final : public MarkupDevice {
public:
    CStubMarkupDevice(const StubConfig& config, int top) : config(config), top(top) {}

    void SelectFont(const MarkupFontStyle& selected) override;
    int FontHeight() const override;
    bool FitText(const char* text, int count, int maxExtent, int& fit, int* extents,
                 SIZE& size) const override;
    bool TextSize(const char* text, int count, SIZE& size) const override;
    void DrawRun(int x, int y, const char* text, int count) override;
    void SetTextColor(COLORREF color) override;
    void SetBackground(COLORREF color, bool opaque) override;
    void DrawRule(int x, int end, int y) override;
    SIZE Picture(const MarkupPicture& picture, const MarkupSpot& spot) override;
    bool IsLeadByte(BYTE c) const override;
    bool IsSpace(unsigned code) const override;
    bool IsPunctuation(unsigned code) const override;

    size_t CharLength(std::string_view text, size_t at) const;
    unsigned CharCode(std::string_view text, size_t at) const;
    int Width(std::string_view text) const;
    const std::vector<std::string>& Pieces() const { return pieces; }

private:
    int Height() const;
    int CharWidth(BYTE c) const;

    StubConfig config;
    int top;
    MarkupFontStyle style = {};
    std::vector<std::string> pieces;
};
