#include "dock/contactsheet.h"

#include "base/owners.h"
#include "exitwnd/skinformat.h"
#include "host/windowcapture.h"

#include <algorithm>
#include <string>

namespace {

constexpr int MARGIN = 12;
constexpr int HEADING = 20; // height of a line of headings
constexpr int CELL_PAD = 6; // room around each button picture
constexpr int LABEL_WIDTH = 84;
constexpr int GAP = 24; // between the window and the table
constexpr COLORREF PAPER = RGB(236, 236, 236);
constexpr COLORREF INK = RGB(40, 40, 40);
constexpr char NOTE[] = "A skin has three pictures per button: focused shows the hot "
                        "one, disabled the normal one.";

void Text(HDC dc, int x, int y, const std::string& text) {
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

} // namespace

bool CContactSheet::Render(CSkin& skin, HMODULE stringModule, const SkinFit& fit) {
    CRasterImage window;
    {
        WindowDC screen(nullptr);
        if (!screen || !RenderSkinPreview(skin, screen.Get(), stringModule, window, fit))
            return false;
    }
    windowSize = {window.Width(), window.Height()};
    keys.clear();
    buttons.clear();
    cellSize = {0, 0};
    for (LONG key : CSkin::BUTTON_ORDER) {
        RECT rect;
        if (!skin.GetButtonRect(key, rect))
            continue;
        keys.push_back(key);
        buttons.push_back(rect);
        cellSize.cx = std::max<LONG>(cellSize.cx, rect.right - rect.left + 2 * CELL_PAD);
        cellSize.cy = std::max<LONG>(cellSize.cy, rect.bottom - rect.top + 2 * CELL_PAD);
    }
    table = {MARGIN + windowSize.cx + GAP + LABEL_WIDTH, MARGIN + HEADING};
    sheetSize = {table.x + COLUMN_COUNT * cellSize.cx + MARGIN,
                 MARGIN + HEADING + std::max<LONG>(windowSize.cy, Rows() * cellSize.cy) + HEADING +
                     MARGIN};
    return CWindowCapture::Render(
        sheetSize.cx, sheetSize.cy,
        [&](HDC dc) {
            Draw(dc, skin, window);
            return true;
        },
        image);
}

RECT CContactSheet::Cell(int row, int column) const {
    const RECT& button = buttons[row];
    const LONG left = table.x + column * cellSize.cx + CELL_PAD;
    const LONG top = table.y + row * cellSize.cy + CELL_PAD;
    return {left, top, left + button.right - button.left, top + button.bottom - button.top};
}

void CContactSheet::Draw(HDC dc, CSkin& skin, const CRasterImage& window) const {
    Brush paper(CreateSolidBrush(PAPER));
    RECT all = {0, 0, sheetSize.cx, sheetSize.cy};
    FillRect(dc, &all, paper.Get());
    Selection font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, INK);
    Text(dc, MARGIN, MARGIN, "The window");
    window.Draw(dc, MARGIN, MARGIN + HEADING);
    for (int column = 0; column < COLUMN_COUNT; ++column)
        Text(dc, table.x + column * cellSize.cx + CELL_PAD, MARGIN, COLUMNS[column].name);
    for (int row = 0; row < Rows(); ++row) {
        Text(dc, table.x - LABEL_WIDTH, table.y + row * cellSize.cy + CELL_PAD,
             SkinButtonKeyName(keys[row]));
        for (int column = 0; column < COLUMN_COUNT; ++column)
            DrawCell(dc, skin, row, column);
    }
    Text(dc, MARGIN, MARGIN + HEADING + std::max<int>(windowSize.cy, Rows() * cellSize.cy) + 4,
         NOTE);
}

// The button as the exit window shows it: over the part of the window beneath it.
void CContactSheet::DrawCell(HDC dc, CSkin& skin, int row, int column) const {
    const RECT& button = buttons[row];
    const RECT cell = Cell(row, column);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    skin.DrawBackground(dc, RECT{cell.left - button.left, cell.top - button.top,
                                 cell.left - button.left + windowSize.cx,
                                 cell.top - button.top + windowSize.cy});
    RestoreDC(dc, saved);
    skin.DrawButton(dc, keys[row], COLUMNS[column].state, cell.left, cell.top);
}
