// Owners of the GDI and USER handles the dock creates, so that no path leaks one.
#pragma once

#include <windows.h>

template <typename Handle> class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (handle)
            DeleteObject(handle);
    }
    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    Handle handle;
};

class MemoryDC {
public:
    MemoryDC() : dc(CreateCompatibleDC(nullptr)) {}
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
    Selection(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { SelectObject(dc, previous); }

private:
    HDC dc;
    HGDIOBJ previous;
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
