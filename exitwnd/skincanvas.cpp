#include "exitwnd/skincanvas.h"

#include "core/actionflags.h"
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

} // namespace

bool CSkinCanvas::Compose(CSkin& skin, SIZE windowSize, DWORD captionActions) {
    for (auto& band : bands)
        band.reset();
    places.clear();
    size = windowSize;
    const RECT whole = {0, 0, size.cx, size.cy};
    // The skin alone: what every button has beneath it.
    DibSection beneath(nullptr, size.cx, -size.cy, 32);
    if (!beneath)
        return false;
    skin.DrawBackground(beneath.Dc(), whole);
    std::array<std::unique_ptr<DibSection>, STATES> made;
    for (auto& band : made) {
        band = std::make_unique<DibSection>(nullptr, size.cx, -size.cy, 32);
        if (!*band)
            return false;
        Copy(band->Dc(), whole, beneath.Dc());
    }
    // The window shows its buttons in their normal state until they say otherwise.
    for (LONG key : CAPTION_ORDER) {
        if (captionActions & key)
            skin.DrawCaption(made[0]->Dc(), key);
    }
    // Each button is drawn over the skin alone, as its own window shows it.
    for (LONG key : CSkin::BUTTON_ORDER) {
        RECT rect;
        if (!skin.GetButtonRect(key, rect))
            continue;
        places.push_back({key, rect, CSkin::STATE_NORMAL});
        for (int state = 0; state < STATES; ++state) {
            Copy(made[state]->Dc(), rect, beneath.Dc());
            skin.DrawButton(made[state]->Dc(), key, state, rect.left, rect.top);
        }
    }
    GdiFlush();
    bands = std::move(made);
    return true;
}

void CSkinCanvas::SetState(LONG key, int state) {
    for (Place& place : places) {
        if (place.key == key && state >= 0 && state < STATES)
            place.state = state;
    }
}

void CSkinCanvas::PaintWindow(HDC dc) const {
    if (!IsComposed())
        return;
    BitBlt(dc, 0, 0, size.cx, size.cy, bands[0]->Dc(), 0, 0, SRCCOPY);
    for (const Place& place : places) {
        if (place.state != CSkin::STATE_NORMAL)
            Copy(dc, place.rect, bands[place.state]->Dc());
    }
}

void CSkinCanvas::PaintButton(HDC dc, LONG key, int state) const {
    const Place* place = Find(key);
    if (!IsComposed() || !place || state < 0 || state >= STATES)
        return;
    const RECT& r = place->rect;
    BitBlt(dc, 0, 0, WidthOf(r), HeightOf(r), bands[state]->Dc(), r.left, r.top, SRCCOPY);
}

const CSkinCanvas::Place* CSkinCanvas::Find(LONG key) const {
    for (const Place& place : places) {
        if (place.key == key)
            return &place;
    }
    return nullptr;
}
