// The tooltip markup reader on arbitrary UTF-16 text (the input's bytes taken two at a
// time, little-endian), driven the way the layout pass drives it: a text run, or else a
// tag's name, value and parameters and then the rest of the tag.
#include "tooltip/markupreader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool SameName(std::u16string_view name, std::string_view tag) {
    if (name.size() != tag.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c =
            name[i] >= u'A' && name[i] <= u'Z' ? static_cast<char16_t>(name[i] + 32) : name[i];
        if (c != static_cast<char16_t>(tag[i]))
            return false;
    }
    return true;
}

bool OneOf(std::u16string_view name, std::initializer_list<std::string_view> tags) {
    for (std::string_view tag : tags) {
        if (SameName(name, tag))
            return true;
    }
    return false;
}

// What a run must hold: the text it was read from, carriage returns left out and "<<"
// read as "<".
std::u16string Unescaped(std::u16string_view text) {
    std::u16string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r')
            continue;
        plain += text[i];
        if (text[i] == u'<' && i + 1 < text.size() && text[i + 1] == u'<')
            ++i;
    }
    return plain;
}

void CheckColor(uint32_t color, uint32_t fallback) {
    if (color != fallback && color > 0xFFFFFF)
        __builtin_trap();
}

void ReadPictureParams(CMarkupReader& reader, int maxCount) {
    for (int read = 0; read < maxCount; ++read) {
        if (!OneOf(reader.ReadParamName(), {"cx", "cy", "mask"}))
            return;
        reader.ReadNumber(0);
    }
}

void ReadTag(CMarkupReader& reader) {
    std::u16string name = reader.ReadTagName();
    if (!name.empty() && name[0] == u'/')
        name.erase(0, 1);
    constexpr uint32_t NO_COLOR = 0xFF000000;
    if (OneOf(name, {"br", "t", "cti", "cbi", "ilst"})) {
        reader.ReadNumber(1);
    } else if (OneOf(name, {"ct", "cb"})) {
        CheckColor(reader.ReadColor(NO_COLOR), NO_COLOR);
    } else if (SameName(name, "hr")) {
        reader.ReadValue();
    } else if (SameName(name, "img")) {
        reader.ReadValue();
        ReadPictureParams(reader, 2);
    } else if (OneOf(name, {"icon", "bmp"})) {
        reader.ReadNumber(0);
        ReadPictureParams(reader, 3);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t at = 0; at + 1 < size; at += 2)
        text += static_cast<char16_t>(data[at] | data[at + 1] << 8);
    CheckColor(CMarkupReader::ToColor(text), 0);
    CMarkupReader reader(text);
    while (!reader.AtEnd()) {
        const size_t start = reader.Position();
        const std::u16string run = reader.ReadTextRun();
        if (run.empty()) {
            ReadTag(reader);
            reader.SkipToTagEnd();
            reader.Advance();
        } else if (run !=
                   Unescaped(std::u16string_view(text).substr(start, reader.Position() - start))) {
            __builtin_trap();
        }
        // Every step moves on, and never past the end.
        if (reader.Position() <= start || reader.Position() > text.size())
            __builtin_trap();
    }
    return 0;
}
