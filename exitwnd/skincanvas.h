// A skin's window as pictures, composed once: the background with the captions, and
// each button over the skin beneath it in its normal, pressed and hot state, in three
// bands the size of the window. The window and every button then paint with one BitBlt
// each, and the window's own paint already shows every button as it is. Copies share
// the composed bands; each copy keeps the states of its own window's buttons.
#pragma once

#include "base/owners.h"
#include "exitwnd/highcontrast.h"
#include "exitwnd/skinformat.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CSkin;

class CSkinCanvas {
public:
    // The skin laid out for a window of this size, with the captions of the enabled
    // actions; false when the bitmaps cannot be made, and the canvas then paints straight
    // from the skin, slower but the same.
    bool Compose(const CSkin& skin, SIZE size, DWORD captionActions);
    bool IsComposed() const { return picture && picture->bands[0]; }

    // The state a button is shown in when the window paints.
    void SetState(LONG key, int state);
    // The button that has the focus, which high contrast outlines; a button that loses
    // it takes the outline away only if it is still its own.
    void SetFocused(LONG key, bool focused);
    // Shows the button greyed in every state: its action cannot be done now.
    void SetUnavailable(LONG key);
    // The whole window, each button in its state. The outline of the focus goes on top,
    // never into the bands, so that the bands stay the same whoever has the focus.
    void PaintWindow(HDC dc) const;
    // One button in a state, at the origin of its own window's device context.
    void PaintButton(HDC dc, LONG key, int state) const;

private:
    struct Picture {
        SIZE size = {};
        std::array<std::unique_ptr<DibSection>, SKIN_STATE_COUNT>
            bands;                           // none when they could not be made
        std::unique_ptr<DibSection> beneath; // the skin without buttons, with the bands
        std::vector<std::pair<LONG, RECT>> buttons;
        HighContrast contrast;       // as the captions were drawn
        std::shared_ptr<CSkin> skin; // to draw from when there are no bands
        DWORD captionActions = 0;
    };
    static bool MakeBands(Picture& made);
    void DrawWindow(HDC dc) const;
    void DrawButton(HDC dc, int index, int state) const;
    int IndexOf(LONG key) const;
    const DibSection* Greyed(LONG key) const;

    std::shared_ptr<const Picture> picture;
    std::vector<int> states; // one for each of the picture's buttons
    LONG focused = 0;
    std::vector<std::pair<LONG, std::shared_ptr<const DibSection>>> greyed;
};
