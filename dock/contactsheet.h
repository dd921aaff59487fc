// Every button of a skin in each situation it can be in, beside the whole window, as
// one picture: what a skin author looks at before handing a skin out.
#pragma once

#include "exitwnd/skin.h"
#include "host/screenimage.h"

#include <windows.h>

#include <iterator>
#include <vector>

class CContactSheet {
public:
    // A skin holds three pictures per button; the keyboard focus shows the hot one and a
    // disabled button keeps its normal one.
    struct Column {
        const char* name;
        int state;
    };
    static constexpr Column COLUMNS[] = {
        {"normal", CSkin::STATE_NORMAL},   {"hot", CSkin::STATE_HOT},
        {"pressed", CSkin::STATE_PRESSED}, {"focused", CSkin::STATE_HOT},
        {"disabled", CSkin::STATE_NORMAL},
    };
    static constexpr int COLUMN_COUNT = static_cast<int>(std::size(COLUMNS));

    // Lays the skin out with every action, as the settings dialog previews it at the
    // fit's resolution, and draws the sheet; false when it cannot be drawn.
    bool Render(CSkin& skin, HMODULE stringModule, const SkinFit& fit = SkinFit());

    const ScreenImage& Image() const { return image; }
    int Rows() const { return static_cast<int>(keys.size()); }
    LONG RowKey(int row) const { return keys[row]; }
    // Where a button's picture in one situation lies in the image.
    RECT Cell(int row, int column) const;

private:
    void Draw(HDC dc, CSkin& skin, const CRasterImage& window) const;
    void DrawCell(HDC dc, CSkin& skin, int row, int column) const;

    ScreenImage image;
    std::vector<LONG> keys;
    std::vector<RECT> buttons; // each row's button in the window
    SIZE sheetSize = {};
    SIZE windowSize = {};
    SIZE cellSize = {};
    POINT table = {}; // the top-left corner of the first cell
};
