#include "tooltip/markuppictures.h"

#include "base/owners.h"

#include <algorithm>

namespace {

// MAKEINTRESOURCE carries 16 bits; a larger number would be taken for a name pointer.
bool IsResourceId(UINT id) {
    return id != 0 && id <= 0xFFFF;
}

int PictureExtent(int requested) {
    return std::clamp(requested, 0, MAX_PICTURE_SIZE);
}

void DrawIcon(HDC dc, HICON icon, int x, int y, int cx, int cy) {
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, cx, cy,
               DST_ICON | DSS_NORMAL);
}

Bitmap ScaledCopy(HDC dc, HBITMAP source, SIZE sourceSize, SIZE target) {
    MemoryDC sourceDC(dc);
    MemoryDC targetDC(dc);
    Bitmap copy(CreateCompatibleBitmap(dc, target.cx, target.cy));
    if (!sourceDC || !targetDC || !copy)
        return Bitmap();
    Selection sourceSelection(sourceDC.Get(), source);
    Selection targetSelection(targetDC.Get(), copy.Get());
    if (sourceSize.cx == target.cx && sourceSize.cy == target.cy) {
        BitBlt(targetDC.Get(), 0, 0, target.cx, target.cy, sourceDC.Get(), 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(targetDC.Get(), COLORONCOLOR);
        StretchBlt(targetDC.Get(), 0, 0, target.cx, target.cy, sourceDC.Get(), 0, 0, sourceSize.cx,
                   sourceSize.cy, SRCCOPY);
    }
    return copy;
}

void DrawPlainBitmap(HDC dc, HBITMAP bitmap, int x, int y, SIZE size) {
    MemoryDC bitmapDC(dc);
    if (!bitmapDC)
        return;
    Selection selection(bitmapDC.Get(), bitmap);
    BitBlt(dc, x, y, size.cx, size.cy, bitmapDC.Get(), 0, 0, SRCCOPY);
}

void DrawMaskedBitmap(const PictureSpot& spot, HBITMAP bitmap, COLORREF maskColor, int y,
                      SIZE size) {
    ImageListOwner list(ImageList_Create(size.cx, size.cy, ILC_COLOR32 | ILC_MASK, 1, 1));
    if (!list || ImageList_AddMasked(list.Get(), bitmap, maskColor) < 0)
        return;
    const PictureSpot at = {spot.dc, spot.x, y, spot.lineHeight, false};
    DrawImageListIcon(at, list.Get(), 0, size.cx, size.cy);
}

} // namespace

SIZE DrawResIcon(const PictureSpot& spot, HMODULE module, UINT id, int cx, int cy) {
    if (!IsResourceId(id))
        return {0, 0};
    IconHandle icon(
        static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, PictureExtent(cx),
                                      PictureExtent(cy), LR_DEFAULTCOLOR)));
    if (!icon)
        return {0, 0};
    const SIZE size = IconSize(icon.Get());
    if (!spot.measureOnly)
        DrawIcon(spot.dc, icon.Get(), spot.x, spot.y + spot.lineHeight - size.cy, size.cx, size.cy);
    return size;
}

SIZE DrawResBitmap(const PictureSpot& spot, HMODULE module, UINT id, bool masked,
                   COLORREF maskColor, int cx, int cy) {
    if (!IsResourceId(id))
        return {0, 0};
    Bitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap.Get(), sizeof info, &info))
        return {0, 0};
    const SIZE own = {info.bmWidth, info.bmHeight};
    const SIZE target = {cx > 0 ? PictureExtent(cx) : own.cx, cy > 0 ? PictureExtent(cy) : own.cy};
    if (spot.measureOnly || target.cx <= 0 || target.cy <= 0)
        return target;
    Bitmap copy = ScaledCopy(spot.dc, bitmap.Get(), own, target);
    if (!copy)
        return target;
    const int top = spot.y + spot.lineHeight - target.cy;
    if (masked)
        DrawMaskedBitmap(spot, copy.Get(), maskColor, top, target);
    else
        DrawPlainBitmap(spot.dc, copy.Get(), spot.x, top, target);
    return target;
}

SIZE DrawImageListIcon(const PictureSpot& spot, HIMAGELIST list, UINT index, int cx, int cy) {
    if (!list || index >= static_cast<UINT>(std::max(ImageList_GetImageCount(list), 0)))
        return {0, 0};
    const SIZE size = {PictureExtent(cx), PictureExtent(cy)};
    if (spot.measureOnly)
        return size;
    IconHandle icon(ImageList_GetIcon(list, static_cast<int>(index), ILD_TRANSPARENT));
    if (icon)
        DrawIcon(spot.dc, icon.Get(), spot.x, spot.y, size.cx, size.cy);
    return size;
}

SIZE DrawNamedImage(const PictureSpot& spot, HMODULE module, const std::vector<NamedImage>& images,
                    const std::u16string& name, int cx, int cy) {
    auto found = std::find_if(images.begin(), images.end(), [&](const NamedImage& image) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT,
                              image.name.c_str(), -1, reinterpret_cast<LPCWSTR>(name.c_str()),
                              -1) == CSTR_EQUAL;
    });
    if (found == images.end() || found->resourceId == 0)
        return {0, 0};
    switch (found->kind) {
    case 0:
        return DrawResIcon(spot, module, found->resourceId, cx, cy);
    case 1:
        return DrawResBitmap(spot, module, found->resourceId, false, found->maskColor, cx, cy);
    case 2:
        return DrawResBitmap(spot, module, found->resourceId, true, found->maskColor, cx, cy);
    default:
        return {0, 0};
    }
}
