// The Windows-only ways to fill a CRasterImage: from a GDI bitmap and from a resource.
#include "image/rasterimage.h"

#include "base/owners.h"
#include "image/memorystream.h"

bool CRasterImage::CreateFromBitmap(HBITMAP bitmap, HPALETTE palette) {
    Destroy();
    if (!bitmap)
        return false;
    BITMAP object = {};
    if (!GetObjectA(bitmap, sizeof object, &object))
        return false;
    if (!Create(object.bmWidth, object.bmHeight, object.bmBitsPixel, FormatUnknown))
        return false;
    WindowDC screen(nullptr);
    if (!screen)
        return false;
    PaletteSelection selected(screen.Get(), palette);
    if (!GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(Height()), info.pixels,
                   reinterpret_cast<BITMAPINFO*>(dib.get()), DIB_RGB_COLORS)) {
        SetError("GetDIBits failed");
        return false;
    }
    return true;
}

// The resource bytes are read in place: neither copied nor freed.
bool CRasterImage::LoadFromResource(HRSRC resource, DWORD formatId, HMODULE module) {
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) {
        SetError("Unable to load resource!");
        return false;
    }
    const void* bytes = LockResource(loaded);
    if (!bytes)
        return false;
    MemoryStream stream(bytes, static_cast<LONG>(size));
    return Decode(stream, formatId);
}
