#include "tooltip/tipbackground.h"

#include "base/owners.h"

namespace {

constexpr int BANDS = 64;

// Band h of 64: each channel weighs the ends by (64 − h) and h, so the last band
// stops one step short of `to`.
COLORREF Blend(COLORREF from, COLORREF to, int band) {
    auto channel = [band](BYTE a, BYTE b) {
        return static_cast<BYTE>((a * (BANDS - band) + b * band) / BANDS);
    };
    return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
               channel(GetBValue(from), GetBValue(to)));
}

void FillGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, bool vertical) {
    const long long start = vertical ? rect.top : rect.left;
    const long long size = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    for (int band = 0; band < BANDS; ++band) {
        const int first = static_cast<int>(start + size * band / BANDS);
        const int last = static_cast<int>(start + size * (band + 1) / BANDS);
        if (last <= first)
            continue;
        RECT part = rect;
        if (vertical) {
            part.top = first;
            part.bottom = last;
        } else {
            part.left = first;
            part.right = last;
        }
        Brush brush(CreateSolidBrush(Blend(from, to, band)));
        if (brush)
            FillRect(dc, &part, brush.Get());
    }
}

void FillHalves(HDC dc, const RECT& rect, COLORREF a, COLORREF b, COLORREF c, COLORREF d,
                bool vertical) {
    RECT first = rect;
    RECT second = rect;
    if (vertical)
        first.bottom = second.top = rect.top + (rect.bottom - rect.top) / 2;
    else
        first.right = second.left = rect.left + (rect.right - rect.left) / 2;
    FillGradient(dc, first, a, b, vertical);
    FillGradient(dc, second, c, d, vertical);
}

} // namespace

void FillTipBackground(HDC dc, const RECT& rect, DWORD effect, COLORREF begin, COLORREF middle,
                       COLORREF end) {
    switch (effect) {
    case 1:
    case 2:
        FillGradient(dc, rect, begin, end, effect == 2);
        break;
    case 3:
    case 4:
        FillHalves(dc, rect, begin, end, end, begin, effect == 4);
        break;
    case 5:
    case 6:
        FillHalves(dc, rect, begin, middle, middle, end, effect == 6);
        break;
    default:
        SetBkColor(dc, begin);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        break;
    }
}
