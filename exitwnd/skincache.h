// One plug-in object's skin between presses: loaded once, its pictures decoded once,
// and loaded again only when its name, a file of its folder or the resource module is
// not what it was; and the exit window's layout and picture for it, made again only
// when the actions, the screen it is shown on, the caption font or the high-contrast
// mode change too. It holds one skin's pictures and one window's picture at a time.
#pragma once

#include "exitwnd/skin.h"
#include "exitwnd/skincanvas.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class CSkinCache {
public:
    // The skin laid out for a window offering these actions, with the window's size and
    // picture. Windows take copies, which share the pictures.
    struct Window {
        CSkin skin;
        SIZE size = {};
        CSkinCanvas canvas;
    };

    // What was laid out with texts of the resource module: a module at the address of
    // another may hold other texts.
    void ForgetText();
    // The skin by that name as it is now.
    const CSkin& Skin(const char* skinName, HMODULE resourceModule);
    // The buttons of hidden actions are taken out of the skin, a folder skin's too.
    const Window& LaidOut(const char* skinName, HMODULE resourceModule, DWORD actions,
                          const SkinFit& fit = SkinFit(), DWORD hidden = 0);
    // A preview of the skin fitted to an area, made by render from a copy of the skin the
    // first time and kept until the skin, the area, the resolution or the caption font
    // change.
    using PreviewRenderer = std::function<bool(CSkin& skin, CRasterImage& preview)>;
    const CRasterImage& Preview(const char* skinName, HMODULE resourceModule, SIZE area, int dpi,
                                const PreviewRenderer& render);

private:
    // What a loaded skin depends on besides its files.
    struct Key {
        std::string skinName;
        HMODULE resourceModule = nullptr;
        bool operator==(const Key& other) const;
    };
    static Key KeyOf(const char* skinName, HMODULE resourceModule);

    Key key;
    // Made on the first press: an object that never shows its window holds nothing.
    std::unique_ptr<CSkin> skin;
    std::unique_ptr<Window> window;
    DWORD windowActions = 0;
    DWORD windowHidden = 0;
    SkinFit windowFit;
    LOGFONTW windowFont = {};
    HighContrast windowContrast;
    std::unique_ptr<CRasterImage> preview;
    SIZE previewArea = {};
    int previewDpi = 0;
    LOGFONTW previewFont = {};
    HighContrast previewContrast;
};
