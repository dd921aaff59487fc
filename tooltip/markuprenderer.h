// Lays out and draws tooltip markup. A measuring pass sizes the text and records the
// line and tab tables; a drawing pass then draws the same text from those tables.
#pragma once

#include "tooltip/markuppass.h"
#include "tooltip/markuppictures.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

class CMarkupRenderer {
public:
    static constexpr int PALETTE_SIZE = MarkupPalette::SIZE;
    static constexpr int textColor = MarkupPalette::textColor;
    static constexpr int bkBeginColor = MarkupPalette::bkBeginColor;
    static constexpr int bkMidColor = 19;
    static constexpr int bkEndColor = 20;
    static constexpr int shadowColor = 24;
    static constexpr int borderColor = 25;

    explicit CMarkupRenderer(HMODULE moduleInstance);

    // Measuring: (widest line, total height). Drawing: (0, total height), from the tables
    // of the last measuring pass, which must have seen the same text.
    SIZE RenderText(HDC dc, const RECT& rect, const wchar_t* text, bool measureOnly);

    // The image list is not owned.
    void SetImageList(HIMAGELIST list, int cx, int cy);
    void AddNamedImage(const NamedImage& image) { namedImages.push_back(image); }

    HMODULE ModuleInstance() const { return moduleInstance; }
    HIMAGELIST ImageList() const { return imageList; }
    SIZE ImageListSize() const { return {imageListCx, imageListCy}; }
    const std::vector<NamedImage>& NamedImages() const { return namedImages; }
    const MarkupLayout& Layout() const { return layout; }

    int maxTextWidth = 300;
    LOGFONTW baseFont = {};
    COLORREF palette[PALETTE_SIZE] = {};

private:
    HMODULE moduleInstance;
    HIMAGELIST imageList = nullptr;
    int imageListCx = 0;
    int imageListCy = 0;
    std::vector<NamedImage> namedImages;
    MarkupLayout layout;
};
