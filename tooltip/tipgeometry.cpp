#include "tooltip/tipgeometry.h"

#include "tooltip/toolinfo.h"

#include <algorithm>

namespace {

// A tip left of the cursor, with a shadow, lies further right by the shadow's width and,
// above the cursor, lower by its height: its body and anchor then sit where they would
// without a shadow. Below the cursor it keeps its top at the cursor, where the anchor
// begins.
POINT ShadowShift(DWORD direction, DWORD style, const TipMetrics& metrics) {
    if (!(style & TipShadow) || !IsLeftward(direction))
        return {0, 0};
    return {metrics.shadowDx, IsBelow(direction) ? 0 : metrics.shadowDy};
}

// The shift is part of the position that must fit, so a window never reaches past the
// screen.
bool PlaceHorizontally(RECT& rect, DWORD direction, int width, POINT cursor, int screenWidth,
                       int anchorMargin, int shift) {
    int left = 0;
    int right = 0;
    if (IsLeftward(direction)) {
        right = std::min<int>(cursor.x + anchorMargin + shift, screenWidth);
        left = right - width;
    } else {
        left = cursor.x < anchorMargin ? 0 : cursor.x - anchorMargin;
        right = left + width;
    }
    if (left < 0 || right > screenWidth)
        return false;
    rect.left = left;
    rect.right = right;
    return true;
}

bool PlaceVertically(RECT& rect, DWORD direction, int height, POINT cursor, int screenHeight,
                     int shift) {
    const int top = IsBelow(direction) ? cursor.y : cursor.y + shift - height;
    const int bottom = top + height;
    if (top < 0 || bottom > screenHeight)
        return false;
    rect.top = top;
    rect.bottom = bottom;
    return true;
}

} // namespace

TipPlacement PlaceTip(SIZE tip, POINT cursor, SIZE screen, DWORD direction, DWORD style,
                      const TipMetrics& metrics) {
    TipPlacement placement = {{0, 0, tip.cx, tip.cy}, direction};
    RECT& rect = placement.rect;
    const auto horizontally = [&] {
        const POINT shift = ShadowShift(placement.direction, style, metrics);
        return PlaceHorizontally(rect, placement.direction, tip.cx, cursor, screen.cx,
                                 metrics.anchorMargin, shift.x);
    };
    const auto vertically = [&] {
        const POINT shift = ShadowShift(placement.direction, style, metrics);
        return PlaceVertically(rect, placement.direction, tip.cy, cursor, screen.cy, shift.y);
    };
    if (!horizontally()) {
        placement.direction ^= 1;
        horizontally();
    }
    if (!vertically()) {
        placement.direction ^= 2;
        vertically();
    }
    return placement;
}

RECT TipBody(SIZE tip, DWORD direction, DWORD style, const TipMetrics& metrics) {
    RECT body = {0, 0, tip.cx, tip.cy};
    if (style & TipShadow) {
        body.right -= metrics.shadowDx;
        body.bottom -= metrics.shadowDy;
    }
    if (IsBelow(direction))
        body.top += metrics.anchorHeight;
    else
        body.bottom -= metrics.anchorHeight;
    return body;
}

Region TipRegion(SIZE tip, POINT cursor, DWORD direction, DWORD style, const TipMetrics& metrics) {
    const RECT body = TipBody(tip, direction, style, metrics);
    Region region(style & TipRounded
                      ? CreateRoundRectRgn(body.left, body.top, body.right + 1, body.bottom + 1,
                                           metrics.cornerWidth, metrics.cornerHeight)
                      : CreateRectRgn(body.left, body.top, body.right + 1, body.bottom + 1));
    if (!region || !(style & TipAnchor))
        return region;
    const int edge = IsBelow(direction) ? body.top : body.bottom;
    // The anchor starts beside the cursor, at least anchorMargin inside the body's sides:
    // where the tip was put next to the cursor that is anchorMargin from the side it
    // extends from; a tip too wide for that still points from next to the cursor.
    const int nearLeft = body.left + metrics.anchorMargin;
    const int nearRight = body.right - metrics.anchorMargin;
    int inner = IsLeftward(direction) ? nearRight : nearLeft;
    if (nearLeft <= nearRight)
        inner = std::clamp<int>(cursor.x, nearLeft, nearRight);
    const int outer =
        IsLeftward(direction) ? inner - metrics.anchorWidth : inner + metrics.anchorWidth;
    const POINT corners[3] = {cursor, {inner, edge}, {outer, edge}};
    Region anchor(CreatePolygonRgn(corners, 3, ALTERNATE));
    if (anchor)
        CombineRgn(region.Get(), region.Get(), anchor.Get(), RGN_OR);
    return region;
}
