// Owners of what the system hands out, so that no path leaks one: each kind of handle is
// closed the one way that kind is closed. Header-only, so that every library may use it;
// the stdio owner serves the image library's portable build too.
#pragma once

#include <cstdio>
#include <utility>

// The sole owner of one handle. Traits names the handle's type, the value that holds
// nothing, and how a handle is closed.
template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != Traits::Empty(); }
    // Gives the handle up without closing it.
    Handle Release() { return std::exchange(handle, Traits::Empty()); }
    void Reset(Handle replacement = Traits::Empty()) {
        if (handle != Traits::Empty())
            Traits::Close(handle);
        handle = replacement;
    }

private:
    Handle handle = Traits::Empty();
};

struct StdioFileTraits {
    using Handle = std::FILE*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle file) { std::fclose(file); }
};
using StdioFile = UniqueHandle<StdioFileTraits>;

#ifdef _WIN32

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

// A handle that is null when it holds nothing, closed by one function of the system.
template <typename Kind, auto CLOSE> struct ClosedBy {
    using Handle = Kind;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { CLOSE(handle); }
};

template <typename Object> using GdiObject = UniqueHandle<ClosedBy<Object, DeleteObject>>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Region = GdiObject<HRGN>;
using Bitmap = GdiObject<HBITMAP>;
using IconHandle = UniqueHandle<ClosedBy<HICON, DestroyIcon>>;
using MenuHandle = UniqueHandle<ClosedBy<HMENU, DestroyMenu>>;
using ImageListOwner = UniqueHandle<ClosedBy<HIMAGELIST, ImageList_Destroy>>;
// Processes, threads, events, tokens: what CloseHandle closes, where failure gives null.
using KernelHandle = UniqueHandle<ClosedBy<HANDLE, CloseHandle>>;
using LibraryHandle = UniqueHandle<ClosedBy<HMODULE, FreeLibrary>>;
using RegistryKey = UniqueHandle<ClosedBy<HKEY, RegCloseKey>>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE search) { FindClose(search); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

struct ChangeNotificationTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE notification) { FindCloseChangeNotification(notification); }
};
using ChangeNotification = UniqueHandle<ChangeNotificationTraits>;

// A function of a loaded library by its name, as the given pointer type; null when the
// library or the function is not there.
template <typename Function> Function LibraryFunction(HMODULE module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

template <typename Interface> struct ComTraits {
    using Handle = Interface*;
    static Handle Empty() { return nullptr; }
    static void Close(Interface* object) { object->Release(); }
};
// Holds one reference of a COM object.
template <typename Interface> class ComPtr : public UniqueHandle<ComTraits<Interface>> {
public:
    using UniqueHandle<ComTraits<Interface>>::UniqueHandle;
    Interface* operator->() const { return this->Get(); }
};

// The calling thread in a single-threaded COM apartment for its own lifetime. A thread
// already in another apartment keeps it: only a start of its own is undone.
class ComApartment {
public:
    ComApartment() : started(SUCCEEDED(CoInitialize(nullptr))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (started)
            CoUninitialize();
    }

private:
    bool started;
};

// A device context of its own, compatible with another (null: with the screen).
class MemoryDC : public UniqueHandle<ClosedBy<HDC, DeleteDC>> {
public:
    explicit MemoryDC(HDC compatible) : UniqueHandle(CreateCompatibleDC(compatible)) {}
};

// A window's device context from GetDC, or the screen's with a null window.
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

// Selects and realises a palette in a device context for its own lifetime.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette)
        : dc(dc), previous(dc && palette ? SelectPalette(dc, palette, FALSE) : nullptr) {
        if (previous)
            RealizePalette(dc);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;
    ~PaletteSelection() {
        if (previous)
            SelectPalette(dc, previous, FALSE);
    }

private:
    HDC dc;
    HPALETTE previous;
};

// Narrows a device context's clipping to a rectangle for its own lifetime, then adds the
// former clip box back; without a rectangle it does nothing.
class ClipScope {
public:
    ClipScope(HDC dc, const RECT* rect) : dc(dc), active(rect != nullptr) {
        if (!active)
            return;
        GetClipBox(dc, &saved);
        Combine(*rect, RGN_AND);
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;
    ~ClipScope() {
        if (active)
            Combine(saved, RGN_OR);
    }

private:
    void Combine(const RECT& rect, int mode) {
        Region region(CreateRectRgnIndirect(&rect));
        ExtSelectClipRgn(dc, region.Get(), mode);
    }

    HDC dc;
    bool active;
    RECT saved = {};
};

// A device-independent bitmap of 24 or 32 bits per pixel selected into a device context
// of its own, with its pixels at hand. A negative height makes its rows run top-down.
class DibSection {
public:
    DibSection(HDC compatible, LONG width, LONG height, WORD bitCount)
        : header(Header(width, height, bitCount)), dc(compatible),
          bitmap(dc ? CreateDIBSection(dc.Get(), Info(), DIB_RGB_COLORS, &pixels, nullptr, 0)
                    : nullptr),
          selected(dc.Get(), bitmap.Get()) {}

    explicit operator bool() const { return bitmap && pixels; }
    HDC Dc() const { return dc.Get(); }
    HBITMAP Handle() const { return bitmap.Get(); }
    BYTE* Bits() const { return static_cast<BYTE*>(pixels); }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
    // Bytes from one row to the next: rows are padded to whole 32-bit words.
    size_t Stride() const {
        return (static_cast<size_t>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
    }

private:
    static BITMAPINFOHEADER Header(LONG width, LONG height, WORD bitCount) {
        BITMAPINFOHEADER made = {};
        made.biSize = sizeof made;
        made.biWidth = width;
        made.biHeight = height;
        made.biPlanes = 1;
        made.biBitCount = bitCount;
        made.biCompression = BI_RGB;
        return made;
    }

    BITMAPINFOHEADER header;
    MemoryDC dc;
    void* pixels = nullptr;
    Bitmap bitmap;
    Selection selected;
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

#endif
