// The balloon's measurements, its place on the screen and its outline.
#pragma once

#include "base/owners.h"

#include <windows.h>

struct TipMetrics {
    int cornerWidth;
    int cornerHeight;
    int marginX;
    int marginY;
    int shadowDx;
    int shadowDy;
    int anchorWidth;
    int anchorHeight;
    int anchorMargin;
    int borderWidth;
    int borderHeight;
};

constexpr TipMetrics BALLOON_METRICS = {16, 16, 12, 12, 4, 4, 12, 16, 16, 1, 1};
constexpr TipMetrics PLAIN_METRICS = {0, 0, 3, 1, 0, 0, 0, 0, 0, 1, 1};

inline bool IsBelow(DWORD direction) {
    return direction >= 2;
}
inline bool IsLeftward(DWORD direction) {
    return direction % 2 == 0;
}

struct TipPlacement {
    RECT rect;
    DWORD direction; // after flipping to fit the screen
};

// Places a tip of the given size near the cursor, flipping sides to stay on the screen.
TipPlacement PlaceTip(SIZE tip, POINT cursor, SIZE screen, DWORD direction, DWORD style,
                      const TipMetrics& metrics);

// The body of the balloon in its client coordinates, without anchor and shadow.
RECT TipBody(SIZE tip, DWORD direction, DWORD style, const TipMetrics& metrics);

// Body and anchor; the anchor's tip is at the cursor, given in client coordinates.
Region TipRegion(SIZE tip, POINT cursor, DWORD direction, DWORD style, const TipMetrics& metrics);
