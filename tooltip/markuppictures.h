// The small pictures a tooltip text can show: icon and bitmap resources, image-list
// icons and named pictures. Each returns the room it takes; one that cannot be loaded
// takes none and draws nothing.
#pragma once

#include "tooltip/markupdevice.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

struct NamedImage {
    std::wstring name;
    WORD resourceId = 0; // 0: the entry has no picture
    BYTE kind = 0;       // 0 icon, 1 bitmap, 2 bitmap drawn through a colour mask
    COLORREF maskColor = 0;
};

// Where a picture goes: the pen position, the top of its line and the line's height
// (0 while measuring, when nothing is drawn).
struct PictureSpot {
    HDC dc;
    int x;
    int y;
    int lineHeight;
    bool measureOnly;
};

SIZE DrawResIcon(const PictureSpot& spot, HMODULE module, UINT id, int cx, int cy);
SIZE DrawResBitmap(const PictureSpot& spot, HMODULE module, UINT id, bool masked,
                   COLORREF maskColor, int cx, int cy);
SIZE DrawImageListIcon(const PictureSpot& spot, HIMAGELIST list, UINT index, int cx, int cy);
SIZE DrawNamedImage(const PictureSpot& spot, HMODULE module, const std::vector<NamedImage>& images,
                    const std::u16string& name, int cx, int cy);
