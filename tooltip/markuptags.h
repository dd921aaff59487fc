// The tags of the tooltip markup: each name, what it does and what value it takes. The
// layout, markupcheck and the text screen readers hear all read them here. Free of Win32
// so that the markup code also builds natively.
#pragma once

#include <string_view>

enum class MarkupTagKind {
    Bold,
    Italic,
    Underline,
    StrikeOut,
    LineBreak,
    Tab,
    TextColour,
    TextColourIndex,
    BackColour,
    BackColourIndex,
    AlignLeft,
    AlignCentre,
    AlignRight,
    Rule,
    NamedPicture,
    ImageListPicture,
    IconPicture,
    BitmapPicture,
};

enum class MarkupValue { None, Number, Colour, Name };

struct MarkupTag {
    const char* name;
    MarkupTagKind kind;
    MarkupValue value;
    bool style;   // switched on by the tag and off by its closing form
    bool written; // false for a tab and a line feed, which stand in the text for themselves
};

inline constexpr MarkupTag MARKUP_TAGS[] = {
    {"b", MarkupTagKind::Bold, MarkupValue::None, true, true},
    {"i", MarkupTagKind::Italic, MarkupValue::None, true, true},
    {"u", MarkupTagKind::Underline, MarkupValue::None, true, true},
    {"s", MarkupTagKind::StrikeOut, MarkupValue::None, true, true},
    {"br", MarkupTagKind::LineBreak, MarkupValue::Number, false, true},
    {"t", MarkupTagKind::Tab, MarkupValue::Number, false, true},
    {"\n", MarkupTagKind::LineBreak, MarkupValue::None, false, false},
    {"\t", MarkupTagKind::Tab, MarkupValue::None, false, false},
    {"ct", MarkupTagKind::TextColour, MarkupValue::Colour, false, true},
    {"cti", MarkupTagKind::TextColourIndex, MarkupValue::Number, false, true},
    {"cb", MarkupTagKind::BackColour, MarkupValue::Colour, false, true},
    {"cbi", MarkupTagKind::BackColourIndex, MarkupValue::Number, false, true},
    {"al", MarkupTagKind::AlignLeft, MarkupValue::None, false, true},
    {"al_l", MarkupTagKind::AlignLeft, MarkupValue::None, false, true},
    {"al_c", MarkupTagKind::AlignCentre, MarkupValue::None, false, true},
    {"al_r", MarkupTagKind::AlignRight, MarkupValue::None, false, true},
    {"hr", MarkupTagKind::Rule, MarkupValue::Number, false, true},
    {"img", MarkupTagKind::NamedPicture, MarkupValue::Name, false, true},
    {"ilst", MarkupTagKind::ImageListPicture, MarkupValue::Number, false, true},
    {"icon", MarkupTagKind::IconPicture, MarkupValue::Number, false, true},
    {"bmp", MarkupTagKind::BitmapPicture, MarkupValue::Number, false, true},
};

// Tag names match whatever their case, in ASCII only: a letter outside ASCII never
// folds onto a tag's.
constexpr char32_t AsciiLower(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

constexpr bool SameMarkupName(std::u16string_view name, std::string_view other) {
    if (name.size() != other.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (AsciiLower(name[i]) != AsciiLower(static_cast<unsigned char>(other[i])))
            return false;
    }
    return true;
}

// The tag of a name read without its closing "/"; null for a name that is none.
constexpr const MarkupTag* FindMarkupTag(std::u16string_view name) {
    for (const MarkupTag& tag : MARKUP_TAGS) {
        if (SameMarkupName(name, tag.name))
            return &tag;
    }
    return nullptr;
}
