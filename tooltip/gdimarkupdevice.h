// The markup layout's device on a GDI device context: the renderer's base font and
// pictures, the wide text functions of GDI and the system's character classes. The font
// that was selected before the pass is selected again when the device goes.
#pragma once

#include "base/owners.h"
#include "tooltip/markupdevice.h"

#include <windows.h>

#include <optional>

class CMarkupRenderer;

class CGdiMarkupDevice final : public MarkupDevice {
public:
    CGdiMarkupDevice(const CMarkupRenderer& renderer, HDC dc);
    CGdiMarkupDevice(const CGdiMarkupDevice&) = delete;
    CGdiMarkupDevice& operator=(const CGdiMarkupDevice&) = delete;

    void SelectFont(const MarkupFontStyle& style) override;
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

private:
    // The CT_CTYPE1 class bits of a code point, 0 when the system cannot tell.
    WORD CharType(char32_t code) const;

    const CMarkupRenderer& renderer;
    HDC dc;
    Font font;
    std::optional<Selection> fontSelected; // goes before the font it holds in the context
};
