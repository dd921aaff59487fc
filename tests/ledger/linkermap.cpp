#include "tests/ledger/linkermap.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool ParseHex(const std::string& text, UINT_PTR& value) {
    if (text.size() < 3 || text.compare(0, 2, "0x") != 0)
        return false;
    char* end = nullptr;
    value = static_cast<UINT_PTR>(std::strtoull(text.c_str() + 2, &end, 16));
    return end && *end == '\0';
}

// "plugin/libquiescor_plugin.a(plugin.cpp.obj)" gives "plugin.cpp".
std::string SourceName(std::string file) {
    const size_t open = file.rfind('(');
    if (open != std::string::npos && file.back() == ')')
        file = file.substr(open + 1, file.size() - open - 2);
    const size_t slash = file.find_last_of("/\\");
    if (slash != std::string::npos)
        file = file.substr(slash + 1);
    const size_t obj = file.rfind(".obj");
    if (obj != std::string::npos && obj + 4 == file.size())
        file.erase(obj);
    return file;
}

// The rest of the line after its first words, without the blanks before it.
std::string After(const std::string& line, int words) {
    size_t at = 0;
    for (int k = 0; k < words && at != std::string::npos; ++k) {
        at = line.find_first_not_of(' ', at);
        if (at != std::string::npos)
            at = line.find(' ', at);
    }
    if (at != std::string::npos)
        at = line.find_first_not_of(' ', at);
    return at == std::string::npos ? std::string() : line.substr(at);
}

} // namespace

// The map lists, below the output section ".text", each input piece as
// " .text  0xADDRESS 0xSIZE file" (its name on a line of its own when long) and the
// global names inside it as "  0xADDRESS  name".
bool CLinkerMap::Load(const std::string& path) {
    pieces.clear();
    symbols.clear();
    std::ifstream in(path);
    std::string line;
    bool inText = false;
    bool pieceNameOnly = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string first, second, third;
        words >> first >> second >> third;
        if (first.empty())
            continue;
        if (line[0] != ' ') {
            inText = first == ".text";
            continue;
        }
        UINT_PTR address = 0, size = 0;
        if (second == "__image_base__" && ParseHex(first, address)) {
            imageBase = address;
            continue;
        }
        if (!inText)
            continue;
        if (line.compare(0, 6, " .text") == 0) {
            pieceNameOnly = second.empty();
            if (!pieceNameOnly && ParseHex(second, address) && ParseHex(third, size) && size)
                pieces.push_back({address, size, SourceName(After(line, 3))});
            continue;
        }
        if (!ParseHex(first, address))
            continue;
        if (pieceNameOnly) {
            pieceNameOnly = false;
            if (ParseHex(second, size) && size && !third.empty())
                pieces.push_back({address, size, SourceName(After(line, 2))});
            continue;
        }
        const std::string name = After(line, 1);
        if (!name.empty() && name.find('=') == std::string::npos)
            symbols.push_back({address, name});
    }
    auto byStart = [](const auto& a, const auto& b) { return a.start < b.start; };
    std::sort(pieces.begin(), pieces.end(), byStart);
    std::stable_sort(symbols.begin(), symbols.end(), byStart);
    if (!imageBase || pieces.empty()) {
        pieces.clear();
        symbols.clear();
        return false;
    }
    return true;
}

std::string CLinkerMap::FunctionAt(UINT_PTR offset) const {
    const UINT_PTR address = imageBase + offset;
    auto after =
        std::upper_bound(pieces.begin(), pieces.end(), address,
                         [](UINT_PTR value, const Piece& piece) { return value < piece.start; });
    if (after == pieces.begin())
        return {};
    const Piece& piece = *(after - 1);
    if (address >= piece.start + piece.size)
        return {};
    auto symbol = std::upper_bound(symbols.begin(), symbols.end(), address,
                                   [](UINT_PTR value, const Symbol& s) { return value < s.start; });
    if (symbol == symbols.begin() || (symbol - 1)->start < piece.start)
        return piece.file;
    return piece.file + ": " + (symbol - 1)->name;
}
