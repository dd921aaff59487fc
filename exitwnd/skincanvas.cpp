#include "exitwnd/skincanvas.h"

#include "api/actionflags.h"
#include "exitwnd/skin.h"

namespace {

// Captions are painted in this order.
constexpr LONG CAPTION_ORDER[] = {ACTION_LOGOFF,  ACTION_STANDBY,    ACTION_HIBERNATE,
                                  ACTION_TURNOFF, ACTION_SWITCHUSER, ACTION_RESTART};

LONG WidthOf(const RECT& rect) {
    return rect.right - rect.left;
}

LONG HeightOf(const RECT& rect) {
    return rect.bottom - rect.top;
}

void Copy(HDC target, const RECT& rect, HDC source) {
    BitBlt(target, rect.left, rect.top, WidthOf(rect), HeightOf(rect), source, rect.left, rect.top,
           SRCCOPY);
}

// Grey, and paler than any picture, so that it reads as out of use on dark and light
// skins alike; where the button shows the skin beneath it, the skin stays as it is.
void GreyOut(const DibSection& grey, const DibSection& shown, const DibSection& beneath,
             const RECT& rect) {
    for (LONG y = 0; y < HeightOf(rect); ++y) {
        const size_t source = static_cast<size_t>(rect.top + y) * shown.Stride() + rect.left * 4;
        const auto* pixel = reinterpret_cast<const uint32_t*>(shown.Bits() + source);
        const auto* under = reinterpret_cast<const uint32_t*>(beneath.Bits() + source);
        auto* out =
            reinterpret_cast<uint32_t*>(grey.Bits() + static_cast<size_t>(y) * grey.Stride());
        for (LONG x = 0; x < WidthOf(rect); ++x) {
            const uint32_t c = pixel[x];
            if (c == under[x]) {
                out[x] = c;
                continue;
            }
            const uint32_t luminance =
                ((c & 0xFF) * 114 + (c >> 8 & 0xFF) * 587 + (c >> 16 & 0xFF) * 299) / 1000;
            const uint32_t level = 100 + luminance / 2;
            out[x] = level | level << 8 | level << 16;
        }
    }
}

} // namespace

bool CSkinCanvas::Compose(const CSkin& skin, SIZE size, DWORD captionActions) {
    states.clear();
    greyed.clear();
    focused = 0;
    auto made = std::make_shared<Picture>();
    made->size = size;
    made->contrast = HighContrast::Now();
    made->skin = std::make_shared<CSkin>(skin);
    made->captionActions = captionActions;
    for (LONG key : CSkin::BUTTON_ORDER) {
        RECT rect;
        if (skin.GetButtonRect(key, rect))
            made->buttons.emplace_back(key, rect);
    }
    const bool composed = MakeBands(*made);
    picture = std::move(made);
    states.assign(picture->buttons.size(), CSkin::STATE_NORMAL);
    return composed;
}

// Each band is the window with every button in one state, and the normal one with the
// captions too. Bands are all made or none is kept.
bool CSkinCanvas::MakeBands(Picture& made) {
    const SIZE size = made.size;
    const RECT whole = {0, 0, size.cx, size.cy};
    // The skin alone: what every button has beneath it. Kept, so that a greyed button
    // greys its picture and not the skin around it.
    auto beneathOwner = std::make_unique<DibSection>(nullptr, size.cx, -size.cy, 32);
    DibSection& beneath = *beneathOwner;
    if (!beneath)
        return false;
    made.skin->DrawBackground(beneath.Dc(), whole);
    std::array<std::unique_ptr<DibSection>, SKIN_STATE_COUNT> bands;
    for (auto& band : bands) {
        band = std::make_unique<DibSection>(nullptr, size.cx, -size.cy, 32);
        if (!*band)
            return false;
        Copy(band->Dc(), whole, beneath.Dc());
    }
    for (LONG key : CAPTION_ORDER) {
        if (made.captionActions & key)
            made.skin->DrawCaption(bands[0]->Dc(), key);
    }
    // Each button is drawn over the skin alone, as its own window shows it.
    for (const auto& [key, rect] : made.buttons) {
        for (int state = 0; state < SKIN_STATE_COUNT; ++state) {
            HDC band = bands[state]->Dc();
            Copy(band, rect, beneath.Dc());
            made.skin->DrawButton(band, key, state, rect.left, rect.top);
        }
    }
    GdiFlush();
    made.bands = std::move(bands);
    made.beneath = std::move(beneathOwner);
    return true;
}

void CSkinCanvas::SetState(LONG key, int state) {
    const int index = IndexOf(key);
    if (index >= 0 && state >= 0 && state < SKIN_STATE_COUNT)
        states[index] = state;
}

void CSkinCanvas::SetUnavailable(LONG key) {
    // Drawn straight from the skin, a button has no band to grey: it is only disabled.
    const int index = IndexOf(key);
    if (index < 0 || !IsComposed() || Greyed(key))
        return;
    const RECT& r = picture->buttons[index].second;
    auto grey = std::make_shared<DibSection>(nullptr, WidthOf(r), -HeightOf(r), 32);
    if (!*grey)
        return;
    GdiFlush();
    GreyOut(*grey, *picture->bands[0], *picture->beneath, r);
    greyed.emplace_back(key, std::move(grey));
}

void CSkinCanvas::SetFocused(LONG key, bool isFocused) {
    if (isFocused)
        focused = key;
    else if (focused == key)
        focused = 0;
}

void CSkinCanvas::PaintWindow(HDC dc) const {
    if (!picture)
        return;
    if (!IsComposed()) {
        DrawWindow(dc);
    } else {
        const SIZE& size = picture->size;
        BitBlt(dc, 0, 0, size.cx, size.cy, picture->bands[0]->Dc(), 0, 0, SRCCOPY);
        for (size_t i = 0; i < states.size(); ++i) {
            if (states[i] != CSkin::STATE_NORMAL)
                Copy(dc, picture->buttons[i].second, picture->bands[states[i]]->Dc());
        }
    }
    for (const auto& [key, grey] : greyed) {
        const RECT& r = picture->buttons[IndexOf(key)].second;
        BitBlt(dc, r.left, r.top, WidthOf(r), HeightOf(r), grey->Dc(), 0, 0, SRCCOPY);
    }
    const int index = IndexOf(focused);
    if (index >= 0)
        picture->contrast.MarkFocus(dc, picture->buttons[index].second);
}

void CSkinCanvas::PaintButton(HDC dc, LONG key, int state) const {
    const int index = IndexOf(key);
    if (index < 0 || state < 0 || state >= SKIN_STATE_COUNT)
        return;
    const RECT& r = picture->buttons[index].second;
    if (const DibSection* grey = Greyed(key)) {
        BitBlt(dc, 0, 0, WidthOf(r), HeightOf(r), grey->Dc(), 0, 0, SRCCOPY);
        return;
    }
    if (IsComposed())
        BitBlt(dc, 0, 0, WidthOf(r), HeightOf(r), picture->bands[state]->Dc(), r.left, r.top,
               SRCCOPY);
    else
        DrawButton(dc, index, state);
    if (key == focused)
        picture->contrast.MarkFocus(dc, {0, 0, WidthOf(r), HeightOf(r)});
}

// Without bands: what they would hold, drawn where it is shown.
void CSkinCanvas::DrawWindow(HDC dc) const {
    CSkin& skin = *picture->skin;
    skin.DrawBackground(dc, {0, 0, picture->size.cx, picture->size.cy});
    for (LONG key : CAPTION_ORDER) {
        if (picture->captionActions & key)
            skin.DrawCaption(dc, key);
    }
    for (size_t i = 0; i < picture->buttons.size(); ++i) {
        const RECT& r = picture->buttons[i].second;
        skin.DrawButton(dc, picture->buttons[i].first, states[i], r.left, r.top);
    }
}

void CSkinCanvas::DrawButton(HDC dc, int index, int state) const {
    const auto& [key, r] = picture->buttons[index];
    // The skin beneath the button, as the window's own origin places it.
    POINT origin = {};
    SetViewportOrgEx(dc, -r.left, -r.top, &origin);
    picture->skin->DrawBackground(dc, {0, 0, picture->size.cx, picture->size.cy});
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    picture->skin->DrawButton(dc, key, state, 0, 0);
}

int CSkinCanvas::IndexOf(LONG key) const {
    for (size_t i = 0; picture && i < picture->buttons.size(); ++i) {
        if (picture->buttons[i].first == key)
            return static_cast<int>(i);
    }
    return -1;
}

const DibSection* CSkinCanvas::Greyed(LONG key) const {
    for (const auto& [greyKey, grey] : greyed) {
        if (greyKey == key)
            return grey.get();
    }
    return nullptr;
}
