// The tooltip markup layout (both passes) on arbitrary UTF-16 text (the input's bytes
// taken two at a time, little-endian), measured by a stub device in a few
// configurations: the exit window's wrapping width, a width narrower than any character
// (on the first 4K units), and a device whose fonts and measurements all fail. Besides
// running clean under the sanitizers, each layout must agree with itself: the drawing
// pass is as tall as the measuring pass, every piece it draws fits the wrapping width
// unless it is a single character, and (on texts up to 16K units) wrapping neither
// loses, repeats nor splits a character, a surrogate pair least of all: it draws what
// the same text draws unwrapped.
#include "fuzz/stubmarkupdevice.h"
#include "tooltip/markupchars.h"
#include "tooltip/markuppass.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Config {
    StubConfig device;
    size_t maxUnits; // how much of the text it lays out
};

// One character a line costs more per character; a few thousand show its faults.
constexpr Config CONFIGS[] = {{{300, false}, 32768}, {{2, false}, 4096}, {{300, true}, 32768}};
constexpr int UNWRAPPED = 1 << 30;
constexpr size_t COMPARED_UNITS = 16384;
constexpr RECT AREA = {-3, 11, 317, 500};

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

struct Layout {
    SIZE measured = {};
    SIZE drawn;
    MarkupLayout tables;
    std::vector<std::u16string> pieces;
};

Layout Run(std::u16string_view text, const StubConfig& config, int maxTextWidth, bool measure) {
    COLORREF palette[MarkupPalette::SIZE] = {};
    for (int i = 0; i < MarkupPalette::SIZE; ++i)
        palette[i] = static_cast<COLORREF>(i * 0x050403);
    const MarkupStyle style = {maxTextWidth, 400, palette};
    const MarkupFontStyle font = {400, 0, 0, 0};
    CStubMarkupDevice device(config, AREA.top);
    Layout layout;
    layout.tables.tabStops = {0};
    if (measure)
        layout.measured = CMarkupPass(style, font, device, layout.tables, AREA, true).Run(text);
    layout.drawn = CMarkupPass(style, font, device, layout.tables, AREA, false).Run(text);
    layout.pieces = device.Pieces();
    return layout;
}

// The characters drawn, white space left out, each read by a walk from its piece's start
// and ended by a NUL (which the text cannot hold): half a pair drawn in one piece and half
// in the next reads as two characters where the unwrapped text has one.
std::u16string Characters(const std::vector<std::u16string>& pieces,
                          const CStubMarkupDevice& device) {
    std::u16string characters;
    for (const std::u16string& piece : pieces) {
        for (size_t at = 0; at < piece.size();) {
            const size_t length = CharLength(piece, at);
            if (!device.IsSpace(CodePointAt(piece, at))) {
                characters.append(piece, at, length);
                characters += u'\0';
            }
            at += length;
        }
    }
    return characters;
}

void CheckLayout(std::u16string_view text, const StubConfig& config) {
    const Layout wrapped = Run(text, config, config.maxTextWidth, true);
    const MarkupLayout& tables = wrapped.tables;
    Check(wrapped.measured.cx >= 0 && wrapped.measured.cy >= 0);
    Check(wrapped.drawn.cx == 0 && wrapped.drawn.cy == wrapped.measured.cy);
    Check(tables.lineWidths.size() == tables.lineHeights.size() && !tables.lineHeights.empty());
    for (size_t k = 0; k < tables.lineWidths.size(); ++k)
        Check(tables.lineWidths[k] >= 0 && tables.lineHeights[k] >= 0);

    const CStubMarkupDevice device(config, AREA.top);
    if (!config.failing) {
        for (const std::u16string& piece : wrapped.pieces) {
            const bool oneCharacter = CharLength(piece, 0) == piece.size();
            Check(oneCharacter || device.Width(piece) <= config.maxTextWidth);
        }
    }
    // Wrapping is decided line by line: a few thousand units show its faults, and longer
    // texts are left to the checks above, which cost less.
    if (text.size() > COMPARED_UNITS)
        return;
    // Which pieces are drawn does not depend on the tables: a drawing pass alone tells.
    const Layout unwrapped = Run(text, config, UNWRAPPED, false);
    Check(Characters(wrapped.pieces, device) == Characters(unwrapped.pieces, device));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The renderer takes a C string and lays out nothing for an empty one.
    std::u16string text;
    for (size_t at = 0; at + 1 < size; at += 2) {
        const char16_t unit = static_cast<char16_t>(data[at] | data[at + 1] << 8);
        if (unit == 0)
            break;
        text += unit;
    }
    if (text.empty())
        return 0;
    for (const Config& config : CONFIGS)
        CheckLayout(std::u16string_view(text).substr(0, config.maxUnits), config.device);
    return 0;
}
