#include "tooltip/tipgeometry.h"

#include "tooltip/toolinfo.h"

#include <algorithm>

namespace {

bool PlaceHorizontally(RECT& rect, DWORD direction, int width, POINT cursor, int screenWidth,
                       int anchorMargin) {
    int left = 0;
    int right = 0;
    if (IsLeftward(direction)) {
        right = std::min<int>(cursor.x + anchorMargin, screenWidth);
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

bool PlaceVertically(RECT& rect, DWORD direction, int height, POINT cursor, int screenHeight) {
    const int top = IsBelow(direction) ? cursor.y : cursor.y - height;
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
    if (!PlaceHorizontally(rect, placement.direction, tip.cx, cursor, screen.cx,
                           metrics.anchorMargin)) {
        placement.direction ^= 1;
        PlaceHorizontally(rect, placement.direction, tip.cx, cursor, screen.cx,
                          metrics.anchorMargin);
    }
    if (!PlaceVertically(rect, placement.direction, tip.cy, cursor, screen.cy)) {
        placement.direction ^= 2;
        PlaceVertically(rect, placement.direction, tip.cy, cursor, screen.cy);
    }
    // The shadow takes the lower right of the window; a tip left of the cursor moves
    // by as much so that its anchor still ends at the cursor.
    if ((style & TipShadow) && IsLeftward(placement.direction))
        OffsetRect(&rect, metrics.shadowDx, metrics.shadowDy);
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
    const int inner = IsLeftward(direction) ? body.right - metrics.anchorMargin
                                            : body.left + metrics.anchorMargin;
    const int outer =
        IsLeftward(direction) ? inner - metrics.anchorWidth : inner + metrics.anchorWidth;
    const POINT corners[3] = {cursor, {inner, edge}, {outer, edge}};
    Region anchor(CreatePolygonRgn(corners, 3, ALTERNATE));
    if (anchor)
        CombineRgn(region.Get(), region.Get(), anchor.Get(), RGN_OR);
    return region;
}
