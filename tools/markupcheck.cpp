#include "tools/markupcheck.h"

#include "base/dialogtemplate.h"
#include "tooltip/markupreader.h"
#include "tooltip/markuptags.h"

#include <algorithm>
#include <map>

namespace {

// Only ASCII folds, as in the tooltip's own reading of names.
std::u16string Lower(std::u16string text) {
    for (char16_t& c : text)
        c = static_cast<char16_t>(AsciiLower(c));
    return text;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsHex(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// "RRGGBB", or a number written "0x...".
bool IsColour(const std::u16string& value) {
    if (value.size() > 2 && value[0] == u'0' && value[1] == u'x')
        return std::all_of(value.begin() + 2, value.end(), IsHex);
    return value.size() == 6 && std::all_of(value.begin(), value.end(), IsHex);
}

std::string ValueProblem(const MarkupTag& tag, const std::u16string& value) {
    if (value.empty())
        return {};
    if (tag.value == MarkupValue::None)
        return "takes no value";
    if (tag.value == MarkupValue::Number && !IsDigit(value[0]))
        return "needs a number";
    if (tag.value == MarkupValue::Colour && !IsColour(value))
        return "needs a colour written RRGGBB";
    return {};
}

} // namespace

MarkupCheck CheckMarkup(std::u16string_view text) {
    MarkupCheck check;
    std::map<std::string, int> open;
    CMarkupReader reader(text);
    while (!reader.AtEnd()) {
        const size_t start = reader.Position();
        if (!reader.ReadTextRun().empty() || reader.AtEnd())
            continue;
        std::u16string name = reader.ReadTagName();
        if (const MarkupTag* inText = FindMarkupTag(name); inText && !inText->written) {
            reader.Advance();
            continue;
        }
        const std::string where = " at character " + std::to_string(start + 1);
        const bool closing = !name.empty() && name[0] == u'/';
        name = Lower(closing ? name.substr(1) : name);
        const MarkupTag* tag = FindMarkupTag(name);
        const std::u16string value = reader.ReadValue();
        const std::u16string inside =
            (closing ? u"/" : u"") + name + (value.empty() ? u"" : u"=" + value);
        const std::string shown = "<" + Utf8(inside) + ">";
        check.tags.push_back(Utf8(Lower(inside)));
        if (!tag) {
            check.errors.push_back("tag " + shown + where +
                                   " is not a tag of the markup (write \"<<\" for a \"<\")");
        } else if (std::string problem = ValueProblem(*tag, value); !problem.empty()) {
            check.warnings.push_back("tag " + shown + where + " " + problem);
        } else if (tag->style) {
            int& depth = open[Utf8(name)];
            if (!closing)
                ++depth;
            else if (depth > 0)
                --depth;
            else
                check.warnings.push_back("tag " + shown + where + " ends a style that is not on");
        }
        reader.SkipToTagEnd();
        if (reader.AtEnd() || text[reader.Position()] != u'>')
            check.errors.push_back("tag " + shown + where + " is not closed with \">\"");
        reader.Advance();
    }
    for (const auto& [name, count] : open) {
        if (count > 0)
            check.warnings.push_back("<" + name + "> is still on at the end of the text");
    }
    return check;
}
