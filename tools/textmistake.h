// What a resource compiler makes of a script saved in another encoding than the one it
// reads it in: UTF-8 read as a Windows code page ("Ã¤" for "ä"), characters that stand
// for bytes the code page does not have, and a string cut short where the compiler met
// such a byte.
#pragma once

#include <string>

// Why the text is not what its translator wrote, or empty when nothing shows. english:
// the same text in the plug-in's own resources, or empty when there is none.
std::string TextMistake(const std::u16string& text, const std::u16string& english);
