// One plug-in object's skin between presses: loaded once, its pictures decoded once,
// and loaded again only when its name, a file of its folder, the resource module or the
// screen's resolution is not what it was. It holds one skin's pictures at a time.
#pragma once

#include "exitwnd/skin.h"

#include <windows.h>

#include <memory>
#include <string>

class CSkinCache {
public:
    // The skin by that name as it is now. Windows take copies, which share its pictures.
    const CSkin& Skin(const char* skinName, HMODULE resourceModule);

private:
    // What a loaded skin depends on besides its files.
    struct Key {
        std::string skinName;
        HMODULE resourceModule = nullptr;
        int dpi = 0;
        bool operator==(const Key& other) const;
    };
    static Key KeyOf(const char* skinName, HMODULE resourceModule);

    Key key;
    // Made on the first press: an object that never shows its window holds nothing.
    std::unique_ptr<CSkin> skin;
};
