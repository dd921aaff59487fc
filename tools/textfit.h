// Whether a text fits the control that shows it, measured as the dialog manager lays
// the dialog out at 96 dots per inch: the dialog's own font, its dialog units, and the
// room each kind of control leaves for its text.
#pragma once

#include "base/dialogtemplate.h"
#include "base/owners.h"

#include <windows.h>

#include <string>

class CTextFit {
public:
    struct Fit {
        SIZE needed; // pixels the text takes, wrapped where the control wraps it
        SIZE room;   // pixels the control gives it
        bool Fits() const { return needed.cx <= room.cx && needed.cy <= room.cy; }
    };

    explicit CTextFit(const DialogTemplate& dialog);
    CTextFit(const CTextFit&) = delete;
    CTextFit& operator=(const CTextFit&) = delete;

    // False for controls that draw no text of their own in a way known here (frames,
    // pictures, lists, edit fields, custom classes).
    bool Measure(const DialogControl& control, const std::u16string& text, Fit& fit) const;

private:
    MemoryDC dc;
    Font font;
    int unitX = 0; // pixels of four horizontal and eight vertical dialog units
    int unitY = 0;
};
