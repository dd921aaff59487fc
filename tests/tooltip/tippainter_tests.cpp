#include "tests/host/canvas.h"
#include "tooltip/tippainter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr COLORREF UNDER = RGB(0xF0, 0xCC, 0x3C);
constexpr COLORREF SHADOW = RGB(0x8F, 0x0F, 0xF0);
constexpr COLORREF BORDER = RGB(10, 20, 30);
constexpr COLORREF BEGIN = RGB(0, 0, 0);
constexpr COLORREF MIDDLE = RGB(0, 128, 0);
constexpr COLORREF END = RGB(128, 0, 255);
constexpr COLORREF TEXT = RGB(0, 0, 160);
constexpr COLORREF ICON = RGB(0, 160, 0);

// Paints a tip the way the tooltip window does, onto a canvas showing UNDER.
class TipPainterTest : public ::testing::Test {
protected:
    TipPainterTest() : renderer(GetModuleHandleA(nullptr)) {
        renderer.palette[CMarkupRenderer::shadowColor] = SHADOW;
        renderer.palette[CMarkupRenderer::borderColor] = BORDER;
        renderer.palette[CMarkupRenderer::bkBeginColor] = BEGIN;
        renderer.palette[CMarkupRenderer::bkMidColor] = MIDDLE;
        renderer.palette[CMarkupRenderer::bkEndColor] = END;
        renderer.palette[CMarkupRenderer::textColor] = TEXT;
        renderer.baseFont.lfQuality = NONANTIALIASED_QUALITY;
    }

    // Returns the body of the balloon as painted.
    RECT Paint(const std::wstring& text, DWORD style, DWORD effect, DWORD direction,
               HICON icon = nullptr, SIZE textSize = {}) {
        tool.text = text;
        tool.style = style;
        tool.effect = effect;
        tool.icon = icon;
        const TipMetrics& m = BALLOON_METRICS;
        MemoryDC measuring(nullptr);
        const SIZE measured =
            renderer.RenderText(measuring.Get(), {0, 0, 300, 0}, text.c_str(), true);
        if (!text.empty())
            textSize = measured;
        const SIZE iconSize = IconSize(icon);
        SIZE tip = {textSize.cx + 2 * m.marginX + (icon ? iconSize.cx + m.marginX : 0),
                    std::max(textSize.cy, iconSize.cy) + m.anchorHeight + 2 * m.marginY};
        if (style & TipShadow) {
            tip.cx += m.shadowDx;
            tip.cy += m.shadowDy;
        }
        const POINT cursor =
            IsBelow(direction) ? POINT{m.anchorMargin, 0} : POINT{m.anchorMargin, tip.cy};
        Region window(TipRegion(tip, cursor, direction, style, m));
        Region shadow(CreateRectRgn(0, 0, 0, 0));
        CombineRgn(shadow.Get(), window.Get(), nullptr, RGN_COPY);
        OffsetRgn(shadow.Get(), m.shadowDx, m.shadowDy);
        canvas.Fill(UNDER);
        const TipPicture picture = {tool,         direction, m,       window.Get(),
                                    shadow.Get(), iconSize,  textSize};
        PaintTip(canvas.Dc(), {0, 0, tip.cx + 1, tip.cy + 1}, picture, renderer);
        return TipBody(tip, direction, style, m);
    }

    CMarkupRenderer renderer;
    CCanvas canvas{400, 200};
    ToolInfo tool;
};

COLORREF Band(COLORREF a, COLORREF b, int h) {
    auto mix = [h](int x, int y) { return (x * (64 - h) + y * h) / 64; };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

TEST_F(TipPainterTest, ShadowBorderBackgroundAndText) {
    const RECT body = Paint(L"Hello", TipAnchor | TipShadow | TipRounded, 0, AboveRight);
    const int middle = (body.top + body.bottom) / 2;
    EXPECT_EQ(canvas.Pixel(0, 0), UNDER) << "outside the rounded corner";
    EXPECT_EQ(canvas.Pixel(body.left, middle), BORDER);
    // A rounded region stops a pixel short of a rectangular one.
    EXPECT_EQ(canvas.Pixel(body.right - 1, middle), BORDER);
    EXPECT_EQ(canvas.Pixel(body.left + 3, middle), BEGIN);
    EXPECT_EQ(canvas.Pixel(body.right + 3, middle), UNDER & SHADOW) << "darkened, not painted";
    EXPECT_EQ(canvas.Pixel(body.right + 6, middle), UNDER);
    EXPECT_EQ(canvas.Pixel(20, body.bottom + 8), BEGIN) << "inside the anchor";
    const RECT ink = canvas.ExtentOf(TEXT);
    EXPECT_GE(ink.left, 12);
    EXPECT_GE(ink.top, 12);
    EXPECT_LE(ink.bottom, body.bottom - 12 + 1);
}

// The painted area is 256 x 128 pixels, so bands are 4 pixels wide or 2 high.
TEST_F(TipPainterTest, GradientsRunInSixtyFourBands) {
    const SIZE text = {231, 87};
    Paint(L"", 0, 1, BelowRight, nullptr, text);
    EXPECT_EQ(canvas.Pixel(1, 70), BEGIN);
    EXPECT_EQ(canvas.Pixel(41, 70), Band(BEGIN, END, 10));
    EXPECT_EQ(canvas.Pixel(254, 70), Band(BEGIN, END, 63));

    Paint(L"", 0, 3, BelowRight, nullptr, text);
    EXPECT_EQ(canvas.Pixel(1, 70), BEGIN);
    EXPECT_EQ(canvas.Pixel(127, 70), Band(BEGIN, END, 63));
    EXPECT_EQ(canvas.Pixel(128, 70), END);
    EXPECT_EQ(canvas.Pixel(254, 70), Band(END, BEGIN, 63));

    Paint(L"", 0, 2, AboveRight, nullptr, text);
    EXPECT_EQ(canvas.Pixel(100, 1), BEGIN);
    EXPECT_EQ(canvas.Pixel(100, 100), Band(BEGIN, END, 50));

    Paint(L"", 0, 6, AboveRight, nullptr, text);
    EXPECT_EQ(canvas.Pixel(100, 1), Band(BEGIN, MIDDLE, 1));
    EXPECT_EQ(canvas.Pixel(100, 63), Band(BEGIN, MIDDLE, 63));
    EXPECT_EQ(canvas.Pixel(100, 64), MIDDLE);
    EXPECT_EQ(canvas.Pixel(100, 100), Band(MIDDLE, END, 36));
    EXPECT_EQ(canvas.Pixel(100, 111), BORDER);
    EXPECT_EQ(canvas.Pixel(100, 112), UNDER) << "the anchor's place, no anchor";
}

TEST_F(TipPainterTest, IconSitsLeftOfTheTextAtTopMiddleOrBottom) {
    IconHandle icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0)));
    const std::wstring text = L"one<br>two<br>three<br>four";
    struct Case {
        DWORD style;
        int offset; // icon top relative to the top of the content
    };
    RECT body = Paint(text, 0, 0, BelowRight, icon.Get());
    const int content = body.bottom - body.top - 2 * 12 + 1;
    for (const Case c : {Case{0, 0}, Case{IconBottom, content - 16},
                         Case{IconVCenter | IconBottom, (content - 16) / 2}}) {
        body = Paint(text, c.style, 0, BelowRight, icon.Get());
        EXPECT_EQ(canvas.ExtentOf(ICON),
                  (RECT{12, body.top + 12 + c.offset, 28, body.top + 28 + c.offset}))
            << c.style;
        EXPECT_GE(canvas.ExtentOf(TEXT).left, 12 + 16 + 12);
    }
}

} // namespace
