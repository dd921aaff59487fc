// Owners of GDI and USER handles, so that no path leaks one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/iconhandle.h"

template <typename Handle> class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ~GdiObject() { Reset(); }

    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    Handle Release() {
        Handle released = handle;
        handle = nullptr;
        return released;
    }
    void Reset(Handle replacement = nullptr) {
        if (handle)
            DeleteObject(handle);
        handle = replacement;
    }

private:
    Handle handle;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Region = GdiObject<HRGN>;
using Bitmap = GdiObject<HBITMAP>;

class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : dc(CreateCompatibleDC(compatible)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc)
            DeleteDC(dc);
    }
    HDC Get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HDC dc;
};

// Selects an object into a device context for its own lifetime.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : dc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (previous)
            SelectObject(dc, previous);
    }

private:
    HDC dc;
    HGDIOBJ previous;
};

class ImageListOwner {
public:
    explicit ImageListOwner(HIMAGELIST list) : list(list) {}
    ImageListOwner(const ImageListOwner&) = delete;
    ImageListOwner& operator=(const ImageListOwner&) = delete;
    ~ImageListOwner() {
        if (list)
            ImageList_Destroy(list);
    }
    HIMAGELIST Get() const { return list; }
    explicit operator bool() const { return list != nullptr; }

private:
    HIMAGELIST list;
};

class WindowDC {
public:
    explicit WindowDC(HWND window) : window(window), dc(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc)
            ReleaseDC(window, dc);
    }
    HDC Get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HWND window;
    HDC dc;
};

class PaintDC {
public:
    explicit PaintDC(HWND window) : window(window) { dc = BeginPaint(window, &paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(window, &paint); }
    HDC Get() const { return dc; }

private:
    HWND window;
    PAINTSTRUCT paint = {};
    HDC dc = nullptr;
};

class MenuHandle {
public:
    MenuHandle() : menu(CreatePopupMenu()) {}
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    ~MenuHandle() {
        if (menu)
            DestroyMenu(menu);
    }
    HMENU Get() const { return menu; }

private:
    HMENU menu;
};

// An icon's size, twice its hot spot; the bitmaps GetIconInfo makes are released here.
inline SIZE IconSize(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return {0, 0};
    Bitmap mask(info.hbmMask);
    Bitmap colour(info.hbmColor);
    return {static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2)};
}
