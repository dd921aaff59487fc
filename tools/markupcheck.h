// Reads a tooltip text (UTF-16, as the tooltip takes it) the way the tooltip does and
// tells what it will not do as the writer meant: tags it does not know, tags never
// closed with ">", values it cannot read, styles switched off that were never on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct MarkupCheck {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    // Every tag in order, as "name" or "name=value" in lower case, closing ones with "/".
    std::vector<std::string> tags;
};

MarkupCheck CheckMarkup(std::u16string_view text);
