#include "exitwnd/skincache.h"

#include "core/owners.h"

bool CSkinCache::Key::operator==(const Key& other) const {
    return skinName == other.skinName && resourceModule == other.resourceModule && dpi == other.dpi;
}

CSkinCache::Key CSkinCache::KeyOf(const char* skinName, HMODULE resourceModule) {
    Key made;
    made.skinName = skinName ? skinName : "";
    made.resourceModule = resourceModule;
    WindowDC screen(nullptr);
    made.dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return made;
}

const CSkin& CSkinCache::Skin(const char* skinName, HMODULE resourceModule) {
    Key now = KeyOf(skinName, resourceModule);
    if (!skin || !(now == key) || !skin->FilesUnchanged()) {
        // Loading lets the old pictures go first: one skin's pictures at a time.
        if (!skin)
            skin = std::make_unique<CSkin>();
        skin->Load(now.skinName.c_str());
        key = std::move(now);
    }
    return *skin;
}
