// The monitor a window is shown on: its work area and its resolution. The plug-in runs in
// the host's process and follows the host's awareness of resolutions.
#pragma once

#include "exitwnd/skin.h"

#include <windows.h>

class CScreenArea {
public:
    // The monitor that holds the owner, or without one the monitor under the cursor.
    static CScreenArea Of(HWND owner);
    // The resolution a window is drawn at: its own where the system tells it, or else the
    // screen's.
    static int DpiOf(HWND window);

    const RECT& WorkArea() const { return workArea; }
    int Dpi() const { return dpi; }
    // The skin at this resolution, within the work area.
    SkinFit Fit() const;
    // Where a window of this size is centred in an area, kept inside it where it fits.
    static POINT CentreIn(const RECT& area, SIZE size);

private:
    RECT workArea = {};
    int dpi = SkinFit::BASE_DPI;
};
