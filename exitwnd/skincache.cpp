#include "exitwnd/skincache.h"

#include "api/actionflags.h"
#include "base/owners.h"

#include <cstring>

bool CSkinCache::Key::operator==(const Key& other) const {
    return skinName == other.skinName && resourceModule == other.resourceModule;
}

CSkinCache::Key CSkinCache::KeyOf(const char* skinName, HMODULE resourceModule) {
    Key made;
    made.skinName = skinName ? skinName : "";
    made.resourceModule = resourceModule;
    return made;
}

void CSkinCache::ForgetText() {
    window.reset();
    preview.reset();
}

const CSkin& CSkinCache::Skin(const char* skinName, HMODULE resourceModule) {
    Key now = KeyOf(skinName, resourceModule);
    if (!skin || !(now == key) || !skin->FilesUnchanged()) {
        // Loading lets the old pictures go first: one skin's pictures at a time.
        window.reset();
        preview.reset();
        if (!skin)
            skin = std::make_unique<CSkin>();
        skin->Load(now.skinName.c_str());
        key = std::move(now);
    }
    return *skin;
}

namespace {

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

const CRasterImage& CSkinCache::Preview(const char* skinName, HMODULE resourceModule, SIZE area,
                                        int dpi, const PreviewRenderer& render) {
    const CSkin& loaded = Skin(skinName, resourceModule);
    const LOGFONTW font = CSkin::CaptionFont();
    const HighContrast contrast = HighContrast::Now();
    // A preview that could not be made is not kept: the next dialog tries again.
    if (preview && preview->IsValid() && previewArea.cx == area.cx && previewArea.cy == area.cy &&
        previewDpi == dpi && SameFont(previewFont, font) && previewContrast == contrast)
        return *preview;
    preview = std::make_unique<CRasterImage>();
    {
        CSkin copy = loaded;
        if (!render(copy, *preview))
            preview->Destroy();
        // Without a window, the preview's pictures are what is shown.
        if (!window)
            *skin = copy;
    }
    skin->KeepOnlyWhatIsShown();
    previewArea = area;
    previewDpi = dpi;
    previewFont = font;
    previewContrast = contrast;
    return *preview;
}

const CSkinCache::Window& CSkinCache::LaidOut(const char* skinName, HMODULE resourceModule,
                                              DWORD actions, const SkinFit& fit, DWORD hidden) {
    const CSkin& loaded = Skin(skinName, resourceModule);
    hidden &= ALL_ACTIONS;
    const DWORD shown = actions & ALL_ACTIONS & ~hidden;
    const LOGFONTW font = CSkin::CaptionFont();
    const HighContrast contrast = HighContrast::Now();
    // A picture that could not be composed, or a skin whose pictures did not all decode,
    // is not kept: the window that got it draws what there is, and the next press tries
    // again.
    if (window && window->canvas.IsComposed() && window->skin.IsWhole() && windowActions == shown &&
        windowHidden == hidden && windowFit == fit && SameFont(windowFont, font) &&
        windowContrast == contrast)
        return *window;
    window = std::make_unique<Window>();
    window->skin = loaded;
    window->skin.Hide(hidden);
    {
        // The screen's measure of the captions, as the window's own device context takes it.
        MemoryDC measuring(nullptr);
        window->skin.Layout(measuring.Get(), resourceModule, shown, window->size, fit);
    }
    // What is kept is what the window shows, at the size it shows it.
    window->skin.KeepOnlyWhatIsShown();
    *skin = window->skin;
    skin->KeepOnlyWhatIsShown();
    window->canvas.Compose(window->skin, window->size, shown);
    if (!window->skin.IsWhole())
        skin.reset();
    windowActions = shown;
    windowHidden = hidden;
    windowFit = fit;
    windowFont = font;
    windowContrast = contrast;
    return *window;
}
