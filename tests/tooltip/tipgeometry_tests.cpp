#include "tests/host/canvas.h"
#include "tooltip/tipgeometry.h"
#include "tooltip/toolinfo.h"

#include <gtest/gtest.h>

namespace {

constexpr SIZE SCREEN = {1024, 768};
constexpr SIZE TIP = {200, 80};

struct PlacementCase {
    const char* what;
    POINT cursor;
    DWORD direction;
    DWORD style;
    SIZE tip;
    RECT expected;
    DWORD finalDirection;
};

TEST(TipGeometry, PlacementFlipsToStayOnTheScreen) {
    const PlacementCase cases[] = {
        {"above right", {500, 400}, AboveRight, 0, TIP, {484, 320, 684, 400}, AboveRight},
        {"below left", {500, 400}, BelowLeft, 0, TIP, {316, 400, 516, 480}, BelowLeft},
        {"right edge", {1000, 400}, AboveRight, 0, TIP, {816, 320, 1016, 400}, AboveLeft},
        {"left edge", {100, 400}, AboveLeft, 0, TIP, {84, 320, 284, 400}, AboveRight},
        {"top edge", {500, 30}, AboveRight, 0, TIP, {484, 30, 684, 110}, BelowRight},
        {"bottom edge", {500, 740}, BelowRight, 0, TIP, {484, 660, 684, 740}, AboveRight},
        {"near corner", {1020, 10}, AboveRight, 0, TIP, {824, 10, 1024, 90}, BelowLeft},
        {"cursor in margin", {5, 400}, AboveRight, 0, TIP, {0, 320, 200, 400}, AboveRight},
        {"wider than screen",
         {500, 400},
         AboveRight,
         0,
         {1100, 80},
         {0, 320, 1100, 400},
         AboveLeft},
        {"taller than screen",
         {500, 400},
         BelowRight,
         0,
         {200, 800},
         {484, 0, 684, 800},
         AboveRight},
        {"shadow, left", {500, 400}, AboveLeft, TipShadow, TIP, {320, 324, 520, 404}, AboveLeft},
        {"shadow, right", {500, 400}, AboveRight, TipShadow, TIP, {484, 320, 684, 400}, AboveRight},
        {"shadow, below left",
         {500, 400},
         BelowLeft,
         TipShadow,
         TIP,
         {320, 400, 520, 480},
         BelowLeft},
        {"shadow, left at the edge",
         {1015, 400},
         AboveLeft,
         TipShadow,
         TIP,
         {824, 324, 1024, 404},
         AboveLeft},
    };
    for (const PlacementCase& c : cases) {
        const TipPlacement placed =
            PlaceTip(c.tip, c.cursor, SCREEN, c.direction, c.style, BALLOON_METRICS);
        EXPECT_EQ(placed.rect, c.expected) << c.what;
        EXPECT_EQ(placed.direction, c.finalDirection) << c.what;
    }
}

TEST(TipGeometry, RegionHasRoundedBodyAndAnchorAtTheCursor) {
    const DWORD style = TipAnchor | TipRounded;
    Region above(TipRegion(TIP, {16, 80}, AboveRight, style, BALLOON_METRICS));
    EXPECT_FALSE(PtInRegion(above.Get(), 0, 0));
    EXPECT_TRUE(PtInRegion(above.Get(), 100, 32));
    EXPECT_TRUE(PtInRegion(above.Get(), 17, 78));
    EXPECT_TRUE(PtInRegion(above.Get(), 26, 66));
    EXPECT_FALSE(PtInRegion(above.Get(), 30, 70));
    EXPECT_FALSE(PtInRegion(above.Get(), 100, 70));

    Region belowLeft(TipRegion(TIP, {184, 0}, BelowLeft, TipAnchor, BALLOON_METRICS));
    EXPECT_TRUE(PtInRegion(belowLeft.Get(), 0, 16));
    EXPECT_TRUE(PtInRegion(belowLeft.Get(), 183, 2));
    EXPECT_TRUE(PtInRegion(belowLeft.Get(), 174, 14));
    EXPECT_FALSE(PtInRegion(belowLeft.Get(), 150, 8));
    EXPECT_FALSE(PtInRegion(belowLeft.Get(), 0, 8));

    // A tip as wide as the screen could not be put beside the cursor: its anchor still
    // starts next to it.
    Region wide(TipRegion({1022, 80}, {500, 80}, AboveLeft, TipAnchor, BALLOON_METRICS));
    EXPECT_TRUE(PtInRegion(wide.Get(), 498, 76));
    EXPECT_TRUE(PtInRegion(wide.Get(), 490, 66));
    EXPECT_FALSE(PtInRegion(wide.Get(), 520, 70));

    Region plain(TipRegion(TIP, {16, 80}, AboveRight, TipShadow, BALLOON_METRICS));
    RECT box = {};
    GetRgnBox(plain.Get(), &box);
    EXPECT_EQ(box, (RECT{0, 0, 197, 61}));
}

} // namespace
