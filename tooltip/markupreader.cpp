#include "tooltip/markupreader.h"

namespace {

constexpr uint32_t NUMBER_LIMIT = 0xFFFFFFFFu;
constexpr uint32_t COLOR_MASK = 0x00FFFFFFu;

bool IsTabOrNewline(char16_t c) {
    return c == u'\t' || c == u'\n';
}

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return static_cast<int>(c - u'0');
    if (c >= u'a' && c <= u'f')
        return static_cast<int>(c - u'a') + 10;
    if (c >= u'A' && c <= u'F')
        return static_cast<int>(c - u'A') + 10;
    return 99;
}

uint32_t HexPair(std::u16string_view value, size_t start) {
    uint32_t result = 0;
    for (size_t i = start; i < start + 2 && i < value.size(); ++i) {
        const int digit = DigitValue(value[i]);
        if (digit >= 16)
            break;
        result = result * 16 + static_cast<uint32_t>(digit);
    }
    return result;
}

} // namespace

std::u16string CMarkupReader::ReadTextRun() {
    std::u16string run;
    while (!AtEnd()) {
        const char16_t c = text[position];
        if (IsTabOrNewline(c))
            break;
        if (c == u'\r') {
            ++position;
            continue;
        }
        if (c == u'<' && position + 1 < text.size()) {
            if (text[position + 1] == u'<') {
                run += u'<';
                position += 2;
                continue;
            }
            if (run.empty())
                ++position;
            break;
        }
        run += c;
        ++position;
    }
    return run;
}

std::u16string CMarkupReader::ReadName(bool skipControls) {
    std::u16string name;
    while (At(position) == u' ')
        ++position;
    while (!AtEnd()) {
        const char16_t c = text[position];
        if (c == u' ') {
            ++position;
            break;
        }
        if (c == u'=' || c == u'>')
            break;
        if (IsTabOrNewline(c) && name.empty() && !skipControls)
            return std::u16string(1, c);
        if (c != u'\r' && !IsTabOrNewline(c))
            name += c;
        ++position;
    }
    return name;
}

std::u16string CMarkupReader::ReadTagName() {
    return ReadName(false);
}

std::u16string CMarkupReader::ReadParamName() {
    return ReadName(true);
}

std::u16string CMarkupReader::ReadValue() {
    std::u16string value;
    bool seenEquals = false;
    while (!AtEnd()) {
        const char16_t c = text[position];
        if (c == u'>')
            break;
        if (c == u' ' && !value.empty()) {
            ++position;
            break;
        }
        if (c == u' ' || c == u'\r' || IsTabOrNewline(c)) {
            ++position;
            continue;
        }
        if (c == u'=') {
            seenEquals = true;
            ++position;
            continue;
        }
        if (!seenEquals)
            break;
        value += c;
        ++position;
    }
    return value;
}

uint32_t CMarkupReader::ReadNumber(uint32_t fallback) {
    const std::u16string value = ReadValue();
    return value.empty() ? fallback : ToNumber(value);
}

uint32_t CMarkupReader::ReadColor(uint32_t fallback) {
    const std::u16string value = ReadValue();
    return value.empty() ? fallback : ToColor(value);
}

void CMarkupReader::SkipToTagEnd() {
    while (!AtEnd() && text[position] != u'>' && !IsTabOrNewline(text[position]))
        ++position;
}

uint32_t CMarkupReader::ToNumber(std::u16string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == u'+' || value[i] == u'-'))
        negative = value[i++] == u'-';
    uint32_t base = 10;
    if (i < value.size() && value[i] == u'0') {
        base = 8;
        const bool hexPrefix =
            i + 1 < value.size() && (value[i + 1] == u'x' || value[i + 1] == u'X');
        if (hexPrefix && i + 2 < value.size() && DigitValue(value[i + 2]) < 16) {
            base = 16;
            i += 2;
        }
    }
    uint64_t result = 0;
    bool overflow = false;
    for (; i < value.size(); ++i) {
        const int digit = DigitValue(value[i]);
        if (digit >= static_cast<int>(base))
            break;
        result = result * base + static_cast<uint32_t>(digit);
        if (result > NUMBER_LIMIT) {
            overflow = true;
            result = NUMBER_LIMIT;
        }
    }
    if (overflow)
        return NUMBER_LIMIT;
    const uint32_t magnitude = static_cast<uint32_t>(result);
    return negative ? 0u - magnitude : magnitude;
}

uint32_t CMarkupReader::ToColor(std::u16string_view value) {
    // The top byte of a COLORREF selects palette modes a tooltip never means.
    if (value.size() >= 2 && value[0] == u'0' && value[1] == u'x')
        return ToNumber(value) & COLOR_MASK;
    return HexPair(value, 0) | HexPair(value, 2) << 8 | HexPair(value, 4) << 16;
}
