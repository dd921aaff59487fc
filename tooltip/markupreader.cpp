#include "tooltip/markupreader.h"

namespace {

constexpr uint32_t NUMBER_LIMIT = 0xFFFFFFFFu;
constexpr uint32_t COLOR_MASK = 0x00FFFFFFu;

bool IsTabOrNewline(char c) {
    return c == '\t' || c == '\n';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

uint32_t HexPair(std::string_view value, size_t start) {
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

std::string CMarkupReader::ReadTextRun() {
    std::string run;
    while (!AtEnd()) {
        const char c = text[position];
        if (IsTabOrNewline(c))
            break;
        if (c == '\r') {
            ++position;
            continue;
        }
        if (c == '<' && position + 1 < text.size()) {
            if (text[position + 1] == '<') {
                run += '<';
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

std::string CMarkupReader::ReadName(bool skipControls) {
    std::string name;
    while (At(position) == ' ')
        ++position;
    while (!AtEnd()) {
        const char c = text[position];
        if (c == ' ') {
            ++position;
            break;
        }
        if (c == '=' || c == '>')
            break;
        if (IsTabOrNewline(c) && name.empty() && !skipControls)
            return std::string(1, c);
        if (c != '\r' && !IsTabOrNewline(c))
            name += c;
        ++position;
    }
    return name;
}

std::string CMarkupReader::ReadTagName() {
    return ReadName(false);
}

std::string CMarkupReader::ReadParamName() {
    return ReadName(true);
}

std::string CMarkupReader::ReadValue() {
    std::string value;
    bool seenEquals = false;
    while (!AtEnd()) {
        const char c = text[position];
        if (c == '>')
            break;
        if (c == ' ' && !value.empty()) {
            ++position;
            break;
        }
        if (c == ' ' || c == '\r' || IsTabOrNewline(c)) {
            ++position;
            continue;
        }
        if (c == '=') {
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
    const std::string value = ReadValue();
    return value.empty() ? fallback : ToNumber(value);
}

uint32_t CMarkupReader::ReadColor(uint32_t fallback) {
    const std::string value = ReadValue();
    return value.empty() ? fallback : ToColor(value);
}

void CMarkupReader::SkipToTagEnd() {
    while (!AtEnd() && text[position] != '>' && !IsTabOrNewline(text[position]))
        ++position;
}

uint32_t CMarkupReader::ToNumber(std::string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        negative = value[i++] == '-';
    uint32_t base = 10;
    if (i < value.size() && value[i] == '0') {
        base = 8;
        const bool hexPrefix = i + 1 < value.size() && (value[i + 1] == 'x' || value[i + 1] == 'X');
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

uint32_t CMarkupReader::ToColor(std::string_view value) {
    // The top byte of a COLORREF selects palette modes a tooltip never means.
    if (value.size() >= 2 && value[0] == '0' && value[1] == 'x')
        return ToNumber(value) & COLOR_MASK;
    return HexPair(value, 0) | HexPair(value, 2) << 8 | HexPair(value, 4) << 16;
}
