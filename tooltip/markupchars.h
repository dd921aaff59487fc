// Characters of UTF-16 markup text: a surrogate pair is one character, a lone surrogate
// one of its own. Free of Win32, for the layout and the tools that check it.
#pragma once

#include <cstddef>
#include <string_view>

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Whether `at` falls between the two halves of a surrogate pair.
constexpr bool InsidePair(std::u16string_view text, size_t at) {
    return at > 0 && at < text.size() && IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1]);
}

// The units of the character that starts at `at`.
constexpr size_t CharLength(std::u16string_view text, size_t at) {
    return IsHighSurrogate(text[at]) && InsidePair(text, at + 1) ? 2 : 1;
}

constexpr char32_t CodePointAt(std::u16string_view text, size_t at) {
    if (CharLength(text, at) == 1)
        return text[at];
    return 0x10000 + ((static_cast<char32_t>(text[at]) - 0xD800) << 10) +
           (static_cast<char32_t>(text[at + 1]) - 0xDC00);
}
