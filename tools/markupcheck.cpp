#include "tools/markupcheck.h"

#include "tooltip/markupreader.h"
#include "tooltip/markuptags.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

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

std::string ValueProblem(const MarkupTag& tag, const std::string& value) {
    if (value.empty())
        return {};
    if (tag.value == MarkupValue::None)
        return "takes no value";
    if (tag.value == MarkupValue::Number && !std::isdigit(static_cast<unsigned char>(value[0])))
        return "needs a number";
    if (tag.value == MarkupValue::Colour && !IsColour(value))
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
        if (const MarkupTag* inText = FindMarkupTag(name); inText && !inText->written) {
            reader.Advance();
            continue;
        }
        const std::string where = " at character " + std::to_string(start + 1);
        const bool closing = !name.empty() && name[0] == '/';
        name = Lower(closing ? name.substr(1) : name);
        const MarkupTag* tag = FindMarkupTag(name);
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
