// Names the code at an offset into a module from the map file its linker wrote: the
// object file and the nearest function before it with a global name.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CLinkerMap {
public:
    // False when the file is missing or names no code; the map is empty then.
    bool Load(const std::string& path);
    // "plugin.cpp: CShutdownPlugin::BigIcon()", or empty when nothing is known.
    std::string FunctionAt(UINT_PTR offset) const;

private:
    struct Piece {
        UINT_PTR start;
        UINT_PTR size;
        std::string file;
    };
    struct Symbol {
        UINT_PTR start;
        std::string name;
    };

    UINT_PTR imageBase = 0;
    std::vector<Piece> pieces;
    std::vector<Symbol> symbols;
};
