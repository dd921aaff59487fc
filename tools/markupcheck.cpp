#include "tools/markupcheck.h"

#include "tooltip/markupreader.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

enum class Value { None, Number, Colour, Name };

struct TagKind {
    const char* name;
    Value value;
    bool style; // switched on by the tag and off by its closing form
};

constexpr TagKind TAGS[] = {
    {"b", Value::None, true},      {"i", Value::None, true},       {"u", Value::None, true},
    {"s", Value::None, true},      {"br", Value::Number, false},   {"t", Value::Number, false},
    {"ct", Value::Colour, false},  {"cti", Value::Number, false},  {"cb", Value::Colour, false},
    {"cbi", Value::Number, false}, {"al", Value::None, false},     {"al_l", Value::None, false},
    {"al_c", Value::None, false},  {"al_r", Value::None, false},   {"hr", Value::Number, false},
    {"img", Value::Name, false},   {"ilst", Value::Number, false}, {"icon", Value::Number, false},
    {"bmp", Value::Number, false},
};

const TagKind* FindTag(const std::string& name) {
    for (const TagKind& tag : TAGS) {
        if (name == tag.name)
            return &tag;
    }
    return nullptr;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// "RRGGBB", or a number written "0x...".
bool IsColour(const std::string& value) {
    if (value.size() > 2 && value[0] == '0' && value[1] == 'x')
        return std::all_of(value.begin() + 2, value.end(), IsHex);
    return value.size() == 6 && std::all_of(value.begin(), value.end(), IsHex);
}

std::string ValueProblem(const TagKind& tag, const std::string& value) {
    if (value.empty())
        return {};
    if (tag.value == Value::None)
        return "takes no value";
    if (tag.value == Value::Number && !std::isdigit(static_cast<unsigned char>(value[0])))
        return "needs a number";
    if (tag.value == Value::Colour && !IsColour(value))
        return "needs a colour written RRGGBB";
    return {};
}

} // namespace

MarkupCheck CheckMarkup(std::string_view text) {
    MarkupCheck check;
    std::map<std::string, int> open;
    CMarkupReader reader(text);
    while (!reader.AtEnd()) {
        const size_t start = reader.Position();
        if (!reader.ReadTextRun().empty() || reader.AtEnd())
            continue;
        std::string name = reader.ReadTagName();
        if (name == "\t" || name == "\n") {
            reader.Advance();
            continue;
        }
        const std::string where = " at character " + std::to_string(start + 1);
        const bool closing = !name.empty() && name[0] == '/';
        name = Lower(closing ? name.substr(1) : name);
        const TagKind* tag = FindTag(name);
        const std::string value = reader.ReadValue();
        const std::string shown =
            "<" + std::string(closing ? "/" : "") + name + (value.empty() ? "" : "=" + value) + ">";
        check.tags.push_back(Lower(shown.substr(1, shown.size() - 2)));
        if (!tag) {
            check.errors.push_back("tag " + shown + where +
                                   " is not a tag of the markup (write \"<<\" for a \"<\")");
        } else if (std::string problem = ValueProblem(*tag, value); !problem.empty()) {
            check.warnings.push_back("tag " + shown + where + " " + problem);
        } else if (tag->style) {
            int& depth = open[name];
            if (!closing)
                ++depth;
            else if (depth > 0)
                --depth;
            else
                check.warnings.push_back("tag " + shown + where + " ends a style that is not on");
        }
        reader.SkipToTagEnd();
        if (reader.AtEnd() || text[reader.Position()] != '>')
            check.errors.push_back("tag " + shown + where + " is not closed with \">\"");
        reader.Advance();
    }
    for (const auto& [name, count] : open) {
        if (count > 0)
            check.warnings.push_back("<" + name + "> is still on at the end of the text");
    }
    return check;
}
