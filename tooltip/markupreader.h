// The lexical half of the tooltip markup: plain text runs, tag names, values and numbers.
// Free of Win32 so that it can be tested and fuzzed on its own. Markup is UTF-16; every
// character it gives meaning to is ASCII, so it never needs to look inside a surrogate
// pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMarkupReader {
public:
    explicit CMarkupReader(std::u16string_view text) : text(text) {}

    size_t Position() const { return position; }
    bool AtEnd() const { return position >= text.size(); }
    // Steps over the unit the position stands on, if any.
    void Advance() {
        if (!AtEnd())
            ++position;
    }

    // Plain text up to the next tag, tab or line feed; "<<" stands for "<". An empty
    // result with the "<" consumed means that a tag follows.
    std::u16string ReadTextRun();
    // A tab or line feed where a name would start is returned as a name of its own.
    std::u16string ReadTagName();
    std::u16string ReadParamName();
    // The text after an "="; empty when no "=" comes first.
    std::u16string ReadValue();
    uint32_t ReadNumber(uint32_t fallback);
    // A colour with red in the lowest byte: "RRGGBB", or a number written "0x...".
    uint32_t ReadColor(uint32_t fallback);
    void SkipToTagEnd();

    // Unsigned conversion with the base taken from the prefix ("0x" hexadecimal, "0"
    // octal); stops at the first character that does not belong, saturates on overflow.
    static uint32_t ToNumber(std::u16string_view value);
    static uint32_t ToColor(std::u16string_view value);

private:
    std::u16string ReadName(bool skipControls);
    char16_t At(size_t index) const { return index < text.size() ? text[index] : u'\0'; }

    std::u16string_view text;
    size_t position = 0;
};
