// Fills the body of a tip: a solid colour or one of the gradient effects.
#pragma once

#include <windows.h>

// effect: 1 left to right, 2 top to bottom, 3 and 4 the same mirrored about the middle,
// 5 and 6 through the middle colour; anything else is solid `begin`.
void FillTipBackground(HDC dc, const RECT& rect, DWORD effect, COLORREF begin, COLORREF middle,
                       COLORREF end);
