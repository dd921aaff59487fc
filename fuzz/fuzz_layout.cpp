// The tooltip markup layout (both passes) on arbitrary text, measured by a stub device
// in a few configurations: at the exit window's wrapping width in a double-byte code
// page when the text has lead bytes (a single-byte one when it has none, and then lays
// out alike), a width narrower than any character (on the first 4 KB), and a device
// whose fonts and measurements all fail. Besides running clean under the sanitizers,
// each layout must agree with itself: the drawing pass is as tall as the measuring pass,
// every piece it draws fits the wrapping width unless it is a single character, and (on
// texts up to 16 KB) wrapping neither loses, repeats nor splits a character: it draws
// what the same text draws unwrapped.
#include "fuzz/stubmarkupdevice.h"
#include "tooltip/markuppass.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

enum class Texts { All, WithoutLeadBytes, WithLeadBytes };

struct Config {
    StubConfig device;
    size_t maxBytes; // how much of the text it lays out
    Texts texts;     // which texts it lays out
};

// One character a line costs more per character; a few kilobytes show its faults.
constexpr Config CONFIGS[] = {{{false, 300, false}, 65536, Texts::WithoutLeadBytes},
                              {{true, 300, false}, 65536, Texts::WithLeadBytes},
                              {{false, 2, false}, 4096, Texts::All},
                              {{false, 300, true}, 65536, Texts::All}};
constexpr int UNWRAPPED = 1 << 30;
constexpr size_t COMPARED_BYTES = 16384;
constexpr RECT AREA = {-3, 11, 317, 500};

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

struct Layout {
    SIZE measured = {};
    SIZE drawn;
    MarkupLayout tables;
    std::vector<std::string> pieces;
};

Layout Run(std::string_view text, const StubConfig& config, int maxTextWidth, bool measure) {
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

// The characters drawn, white space left out, and how many pieces end in half a
// character.
struct Drawn {
    std::string characters;
    size_t brokenEnds = 0;
};

Drawn Characters(const std::vector<std::string>& pieces, const CStubMarkupDevice& device) {
    Drawn drawn;
    for (const std::string& piece : pieces) {
        size_t at = 0;
        size_t length = 0;
        while (at < piece.size()) {
            length = device.CharLength(piece, at);
            if (!device.IsSpace(device.CharCode(piece, at)))
                drawn.characters.append(piece, at, length);
            at += length;
        }
        // Only a walk from the piece's start tells whether its last byte stands alone.
        if (length == 1 && device.IsLeadByte(static_cast<BYTE>(piece.back())))
            ++drawn.brokenEnds;
    }
    return drawn;
}

void CheckLayout(std::string_view text, const StubConfig& config) {
    const Layout wrapped = Run(text, config, config.maxTextWidth, true);
    const MarkupLayout& tables = wrapped.tables;
    Check(wrapped.measured.cx >= 0 && wrapped.measured.cy >= 0);
    Check(wrapped.drawn.cx == 0 && wrapped.drawn.cy == wrapped.measured.cy);
    Check(tables.lineWidths.size() == tables.lineHeights.size() && !tables.lineHeights.empty());
    for (size_t k = 0; k < tables.lineWidths.size(); ++k)
        Check(tables.lineWidths[k] >= 0 && tables.lineHeights[k] >= 0);

    const CStubMarkupDevice device(config, AREA.top);
    if (!config.failing) {
        for (const std::string& piece : wrapped.pieces) {
            const bool oneCharacter = device.CharLength(piece, 0) == piece.size();
            Check(oneCharacter || device.Width(piece) <= config.maxTextWidth);
        }
    }
    // Wrapping is decided line by line: a few kilobytes show its faults, and longer texts
    // are left to the checks above, which cost less.
    if (text.size() > COMPARED_BYTES)
        return;
    // Which pieces are drawn does not depend on the tables: a drawing pass alone tells.
    const Layout unwrapped = Run(text, config, UNWRAPPED, false);
    const Drawn drawn = Characters(wrapped.pieces, device);
    const Drawn whole = Characters(unwrapped.pieces, device);
    Check(drawn.characters == whole.characters);
    Check(drawn.brokenEnds == whole.brokenEnds);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The renderer takes a C string and lays out nothing for an empty one.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    if (text.empty())
        return 0;
    const CStubMarkupDevice doubleByte(CONFIGS[1].device, AREA.top);
    const bool leadBytes = std::any_of(text.begin(), text.end(), [&](char c) {
        return doubleByte.IsLeadByte(static_cast<BYTE>(c));
    });
    for (const Config& config : CONFIGS) {
        if ((config.texts == Texts::WithLeadBytes && !leadBytes) ||
            (config.texts == Texts::WithoutLeadBytes && leadBytes))
            continue;
        CheckLayout(text.substr(0, config.maxBytes), config.device);
    }
    return 0;
}
