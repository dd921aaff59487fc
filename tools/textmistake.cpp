#include "tools/textmistake.h"

#include "base/dialogtemplate.h"

#include <windows.h>

namespace {

// The code pages a script is most often read in by mistake: Western, Central European,
// Cyrillic, Greek, Turkish and Baltic.
constexpr UINT CODE_PAGES[] = {1252, 1250, 1251, 1253, 1254, 1257};
constexpr char16_t REPLACEMENT = 0xFFFD;
constexpr char SAVE_AS_UTF8[] =
    "save the script as UTF-8 with \"#pragma code_page(65001)\" as its first line";

bool IsAscii(const std::u16string& text) {
    for (char16_t c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

// Controls and the replacement character: what stands where a compiler could not read.
bool IsUnreadable(char16_t c) {
    return c == REPLACEMENT || (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') ||
           (c >= 0x7F && c < 0xA0);
}

bool IsWordEnd(char16_t c) {
    return c == u' ' || c == u'<' || c == u'>' || c == u'\t' || c == u'\n';
}

// The text in the code page, or false when one of its characters is not in it.
bool Encode(const std::u16string& text, UINT codePage, std::string& bytes) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    BOOL lost = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                         nullptr, &lost);
    if (size <= 0 || lost)
        return false;
    bytes.assign(static_cast<size_t>(size), '\0');
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), size,
                               nullptr, &lost) == size &&
           !lost;
}

// The bytes as UTF-8, or false when they are not UTF-8 or hold nothing beyond ASCII.
bool DecodeUtf8(const std::string& bytes, std::u16string& text) {
    const int length = static_cast<int>(bytes.size());
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0 || size == length)
        return false;
    text.assign(static_cast<size_t>(size), u'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length,
                               reinterpret_cast<wchar_t*>(text.data()), size) == size;
}

// The word around the first character beyond ASCII.
std::u16string FirstForeignWord(const std::u16string& text) {
    size_t at = 0;
    while (at < text.size() && text[at] < 0x80)
        ++at;
    size_t start = at;
    while (start > 0 && !IsWordEnd(text[start - 1]))
        --start;
    size_t end = at;
    while (end < text.size() && !IsWordEnd(text[end]))
        ++end;
    return text.substr(start, end - start);
}

// UTF-8 bytes shown one character per byte of a code page: the whole text reads as
// UTF-8 once it is put back into that code page's bytes.
std::string Mojibake(const std::u16string& text) {
    for (UINT codePage : CODE_PAGES) {
        std::string bytes;
        std::u16string meant;
        if (!Encode(text, codePage, bytes) || !DecodeUtf8(bytes, meant))
            continue;
        const std::u16string word = FirstForeignWord(text);
        std::u16string meantWord;
        if (!Encode(word, codePage, bytes) || !DecodeUtf8(bytes, meantWord))
            meantWord = meant;
        return "\"" + Utf8(word) + "\" is \"" + Utf8(meantWord) + "\" in UTF-8 read as code page " +
               std::to_string(codePage) + ": " + SAVE_AS_UTF8;
    }
    return {};
}

std::string Unreadable(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsUnreadable(text[i]))
            continue;
        char code[8];
        wsprintfA(code, "%04X", static_cast<unsigned>(text[i]));
        return "character " + std::to_string(i + 1) + " is U+" + code +
               ", which a resource compiler puts where the script has bytes that its code "
               "page does not have: save the script in the code page its \"#pragma code_page\" "
               "names (65001 for UTF-8)";
    }
    return {};
}

bool EndsSentence(const std::u16string& text) {
    if (text.empty())
        return false;
    const char16_t last = text.back();
    return last == u'.' || last == u'?' || last == u'!' || last == u'\x2026' || last == u'\x3002' ||
           last == u'\xFF1F' || last == u'\xFF01';
}

// A text that ends inside a tag is the markup check's to report.
bool EndsInTag(const std::u16string& text) {
    const size_t open = text.find_last_of(u'<');
    const size_t close = text.find_last_of(u'>');
    return open != std::u16string::npos && (close == std::u16string::npos || close < open);
}

// A compiler that meets a byte its code page does not have may end the string there,
// before the first letter beyond ASCII: what is left is plain ASCII, much shorter than
// the English, or a sentence without its end.
std::string CutShort(const std::u16string& text, const std::u16string& english) {
    constexpr size_t SHORTER = 3;
    if (text.empty() || english.empty() || !IsAscii(text) || EndsInTag(text))
        return {};
    const bool sentenceLost = EndsSentence(english) && !EndsSentence(text);
    if (!sentenceLost && text.size() * SHORTER >= english.size())
        return {};
    return "it ends after \"" + Utf8(text.substr(text.size() > 20 ? text.size() - 20 : 0)) +
           "\", as if cut at its first letter beyond ASCII: a resource compiler ends a string "
           "at a byte its code page does not have (a script saved in another encoding than "
           "its \"#pragma code_page\"); " +
           SAVE_AS_UTF8;
}

} // namespace

std::string TextMistake(const std::u16string& text, const std::u16string& english) {
    std::string mistake = Unreadable(text);
    if (mistake.empty())
        mistake = Mojibake(text);
    if (mistake.empty())
        mistake = CutShort(text, english);
    return mistake;
}
