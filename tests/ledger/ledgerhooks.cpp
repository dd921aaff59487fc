#include "tests/ledger/ledgerhooks.h"

#include "tests/ledger/handleledger.h"

#include <commctrl.h>
#include <shellapi.h>

#include <climits>
#include <initializer_list>

// Where the module called the hook this is used in. Each hook calls the system's function
// itself: a patch put in after the ledger's may stand between the module and a hook, never
// between a hook and the system.
#define LEDGER_CALL_SITE __builtin_return_address(0)

namespace {

CHandleLedger* ledger = nullptr;

using Kinds = std::initializer_list<LedgerKind>;
const Kinds GDI_OBJECTS = {LedgerKind::Bitmap, LedgerKind::DibSection, LedgerKind::Font,
                           LedgerKind::Brush,  LedgerKind::Pen,        LedgerKind::Region};

template <typename Handle> UINT_PTR Key(Handle handle) {
    return reinterpret_cast<UINT_PTR>(handle);
}

template <typename Handle>
Handle Made(Handle made, LedgerKind kind, const char* creator, void* site, HWND window = nullptr) {
    if (made && ledger)
        ledger->Made(kind, Key(made), window, creator, site);
    return made;
}

// A release the system accepted ends the object's entry; one of nothing the ledger saw
// made, accepted or not, is a fault of its own.
template <typename Handle>
void Released(BOOL accepted, Kinds kinds, Handle handle, const char* function, void* site) {
    if (!ledger || !handle)
        return;
    const bool known = accepted ? ledger->Release(kinds, Key(handle), nullptr, {})
                                : ledger->Knows(kinds, Key(handle), nullptr, {});
    if (!known)
        ledger->Foreign(function, Key(handle), site);
}

bool IsStockObject(HGDIOBJ object) {
    for (int index = WHITE_BRUSH; index <= DC_PEN; ++index) {
        if (GetStockObject(index) == object)
            return true;
    }
    return false;
}

// A property is named by a string or by an atom.
UINT_PTR PropertyAtom(LPCSTR name) {
    return HIWORD(reinterpret_cast<UINT_PTR>(name)) ? 0 : reinterpret_cast<UINT_PTR>(name);
}
std::string PropertyName(LPCSTR name) {
    return HIWORD(reinterpret_cast<UINT_PTR>(name)) ? name : "";
}

LedgerKind ImageKind(UINT type) {
    return type == IMAGE_BITMAP   ? LedgerKind::Bitmap
           : type == IMAGE_CURSOR ? LedgerKind::Cursor
                                  : LedgerKind::Icon;
}

HBITMAP WINAPI HookCreateCompatibleBitmap(HDC dc, int width, int height) {
    return Made(CreateCompatibleBitmap(dc, width, height), LedgerKind::Bitmap,
                "CreateCompatibleBitmap", LEDGER_CALL_SITE);
}

HBITMAP WINAPI HookCreateBitmap(int width, int height, UINT planes, UINT bits, const void* data) {
    return Made(CreateBitmap(width, height, planes, bits, data), LedgerKind::Bitmap, "CreateBitmap",
                LEDGER_CALL_SITE);
}

HBITMAP WINAPI HookCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init,
                                  const void* bits, const BITMAPINFO* info, UINT usage) {
    return Made(CreateDIBitmap(dc, header, init, bits, info, usage), LedgerKind::Bitmap,
                "CreateDIBitmap", LEDGER_CALL_SITE);
}

HBITMAP WINAPI HookCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                    HANDLE section, DWORD offset) {
    return Made(CreateDIBSection(dc, info, usage, bits, section, offset), LedgerKind::DibSection,
                "CreateDIBSection", LEDGER_CALL_SITE);
}

HDC WINAPI HookCreateCompatibleDC(HDC dc) {
    return Made(CreateCompatibleDC(dc), LedgerKind::MemoryDC, "CreateCompatibleDC",
                LEDGER_CALL_SITE);
}

HFONT WINAPI HookCreateFontIndirectA(const LOGFONTA* font) {
    return Made(CreateFontIndirectA(font), LedgerKind::Font, "CreateFontIndirectA",
                LEDGER_CALL_SITE);
}

HFONT WINAPI HookCreateFontIndirectW(const LOGFONTW* font) {
    return Made(CreateFontIndirectW(font), LedgerKind::Font, "CreateFontIndirectW",
                LEDGER_CALL_SITE);
}

HBRUSH WINAPI HookCreateSolidBrush(COLORREF colour) {
    return Made(CreateSolidBrush(colour), LedgerKind::Brush, "CreateSolidBrush", LEDGER_CALL_SITE);
}

HBRUSH WINAPI HookCreatePatternBrush(HBITMAP bitmap) {
    return Made(CreatePatternBrush(bitmap), LedgerKind::Brush, "CreatePatternBrush",
                LEDGER_CALL_SITE);
}

HBRUSH WINAPI HookCreateBrushIndirect(const LOGBRUSH* brush) {
    return Made(CreateBrushIndirect(brush), LedgerKind::Brush, "CreateBrushIndirect",
                LEDGER_CALL_SITE);
}

HPEN WINAPI HookCreatePen(int style, int width, COLORREF colour) {
    return Made(CreatePen(style, width, colour), LedgerKind::Pen, "CreatePen", LEDGER_CALL_SITE);
}

HRGN WINAPI HookCreateRectRgn(int left, int top, int right, int bottom) {
    return Made(CreateRectRgn(left, top, right, bottom), LedgerKind::Region, "CreateRectRgn",
                LEDGER_CALL_SITE);
}

HRGN WINAPI HookCreateRectRgnIndirect(const RECT* rect) {
    return Made(CreateRectRgnIndirect(rect), LedgerKind::Region, "CreateRectRgnIndirect",
                LEDGER_CALL_SITE);
}

HRGN WINAPI HookCreateRoundRectRgn(int left, int top, int right, int bottom, int width,
                                   int height) {
    return Made(CreateRoundRectRgn(left, top, right, bottom, width, height), LedgerKind::Region,
                "CreateRoundRectRgn", LEDGER_CALL_SITE);
}

HRGN WINAPI HookCreateEllipticRgn(int left, int top, int right, int bottom) {
    return Made(CreateEllipticRgn(left, top, right, bottom), LedgerKind::Region,
                "CreateEllipticRgn", LEDGER_CALL_SITE);
}

HRGN WINAPI HookCreatePolygonRgn(const POINT* points, int count, int mode) {
    return Made(CreatePolygonRgn(points, count, mode), LedgerKind::Region, "CreatePolygonRgn",
                LEDGER_CALL_SITE);
}

BOOL WINAPI HookDeleteObject(HGDIOBJ object) {
    const BOOL deleted = DeleteObject(object);
    if (!IsStockObject(object))
        Released(deleted, GDI_OBJECTS, object, "DeleteObject", LEDGER_CALL_SITE);
    return deleted;
}

BOOL WINAPI HookDeleteDC(HDC dc) {
    const BOOL deleted = DeleteDC(dc);
    Released(deleted, {LedgerKind::MemoryDC}, dc, "DeleteDC", LEDGER_CALL_SITE);
    return deleted;
}

HDC WINAPI HookGetDC(HWND window) {
    return Made(GetDC(window), LedgerKind::WindowDC, "GetDC", LEDGER_CALL_SITE, window);
}

HDC WINAPI HookGetWindowDC(HWND window) {
    return Made(GetWindowDC(window), LedgerKind::WindowDC, "GetWindowDC", LEDGER_CALL_SITE, window);
}

int WINAPI HookReleaseDC(HWND window, HDC dc) {
    const int released = ReleaseDC(window, dc);
    Released(released == 1, {LedgerKind::WindowDC}, dc, "ReleaseDC", LEDGER_CALL_SITE);
    return released;
}

HDC WINAPI HookBeginPaint(HWND window, PAINTSTRUCT* paint) {
    return Made(BeginPaint(window, paint), LedgerKind::PaintDC, "BeginPaint", LEDGER_CALL_SITE,
                window);
}

BOOL WINAPI HookEndPaint(HWND window, const PAINTSTRUCT* paint) {
    const BOOL ended = EndPaint(window, paint);
    if (paint)
        Released(ended, {LedgerKind::PaintDC}, paint->hdc, "EndPaint", LEDGER_CALL_SITE);
    return ended;
}

HWND WINAPI HookCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, void* parameter) {
    return Made(CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                                instance, parameter),
                LedgerKind::Window, "CreateWindowExA", LEDGER_CALL_SITE);
}

HWND WINAPI HookCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, void* parameter) {
    return Made(CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                instance, parameter),
                LedgerKind::Window, "CreateWindowExW", LEDGER_CALL_SITE);
}

// Windows that went with their parent or owner are swept, not released here.
BOOL WINAPI HookDestroyWindow(HWND window) {
    const BOOL destroyed = DestroyWindow(window);
    if (destroyed && ledger)
        ledger->Release({LedgerKind::Window}, Key(window), nullptr, {});
    return destroyed;
}

// A region a window accepts is the window's from then on.
int WINAPI HookSetWindowRgn(HWND window, HRGN region, BOOL redraw) {
    const int accepted = SetWindowRgn(window, region, redraw);
    if (accepted && region && ledger)
        ledger->Release({LedgerKind::Region}, Key(region), nullptr, {});
    return accepted;
}

// Setting a window's timer again only changes it; a thread's timer is new each time.
UINT_PTR WINAPI HookSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    const UINT_PTR timer = SetTimer(window, id, elapse, procedure);
    const UINT_PTR key = window ? id : timer;
    if (timer && ledger && !ledger->Knows({LedgerKind::Timer}, key, window, {}))
        ledger->Made(LedgerKind::Timer, key, window, "SetTimer", LEDGER_CALL_SITE);
    return timer;
}

BOOL WINAPI HookKillTimer(HWND window, UINT_PTR id) {
    const BOOL killed = KillTimer(window, id);
    if (killed && ledger)
        ledger->Release({LedgerKind::Timer}, id, window, {});
    return killed;
}

// A thread has one caret: a new one replaces the old.
BOOL WINAPI HookCreateCaret(HWND window, HBITMAP shape, int width, int height) {
    const BOOL created = CreateCaret(window, shape, width, height);
    if (created && ledger) {
        ledger->ReleaseAll(LedgerKind::Caret);
        ledger->Made(LedgerKind::Caret, 0, window, "CreateCaret", LEDGER_CALL_SITE);
    }
    return created;
}

BOOL WINAPI HookDestroyCaret() {
    const BOOL destroyed = DestroyCaret();
    if (destroyed && ledger)
        ledger->ReleaseAll(LedgerKind::Caret);
    return destroyed;
}

BOOL WINAPI HookSetPropA(HWND window, LPCSTR name, HANDLE data) {
    const BOOL set = SetPropA(window, name, data);
    const UINT_PTR atom = PropertyAtom(name);
    const std::string text = PropertyName(name);
    if (set && ledger && !ledger->Knows({LedgerKind::Property}, atom, window, text))
        ledger->Made(LedgerKind::Property, atom, window, "SetPropA", LEDGER_CALL_SITE, text);
    return set;
}

HANDLE WINAPI HookRemovePropA(HWND window, LPCSTR name) {
    HANDLE removed = RemovePropA(window, name);
    if (ledger)
        ledger->Release({LedgerKind::Property}, PropertyAtom(name), window, PropertyName(name));
    return removed;
}

// Shared images belong to the system.
HANDLE WINAPI HookLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height,
                             UINT flags) {
    HANDLE image = LoadImageA(instance, name, type, width, height, flags);
    if (flags & LR_SHARED)
        return image;
    return Made(image, ImageKind(type), "LoadImageA", LEDGER_CALL_SITE);
}

HANDLE WINAPI HookCopyImage(HANDLE original, UINT type, int width, int height, UINT flags) {
    HANDLE copy = CopyImage(original, type, width, height, flags);
    void* site = LEDGER_CALL_SITE;
    if (copy && (flags & LR_COPYDELETEORG) && copy != original)
        Released(TRUE, {ImageKind(type)}, original, "CopyImage", site);
    if (copy == original)
        return copy;
    return Made(copy, ImageKind(type), "CopyImage", site);
}

BOOL WINAPI HookGetIconInfo(HICON icon, ICONINFO* info) {
    const BOOL got = GetIconInfo(icon, info);
    if (got && info) {
        void* site = LEDGER_CALL_SITE;
        Made(info->hbmMask, LedgerKind::Bitmap, "GetIconInfo", site);
        Made(info->hbmColor, LedgerKind::Bitmap, "GetIconInfo", site);
    }
    return got;
}

BOOL WINAPI HookDestroyIcon(HICON icon) {
    const BOOL destroyed = DestroyIcon(icon);
    Released(destroyed, {LedgerKind::Icon}, icon, "DestroyIcon", LEDGER_CALL_SITE);
    return destroyed;
}

BOOL WINAPI HookDestroyCursor(HCURSOR cursor) {
    const BOOL destroyed = DestroyCursor(cursor);
    Released(destroyed, {LedgerKind::Cursor}, cursor, "DestroyCursor", LEDGER_CALL_SITE);
    return destroyed;
}

HICON WINAPI HookCreateIconIndirect(ICONINFO* info) {
    return Made(CreateIconIndirect(info), LedgerKind::Icon, "CreateIconIndirect", LEDGER_CALL_SITE);
}

UINT WINAPI HookExtractIconExA(LPCSTR file, int index, HICON* large, HICON* small, UINT count) {
    const UINT extracted = ExtractIconExA(file, index, large, small, count);
    if (extracted == 0 || extracted == UINT_MAX || index == -1)
        return extracted;
    void* site = LEDGER_CALL_SITE;
    for (HICON* icons : {large, small}) {
        for (UINT k = 0; icons && k < count; ++k)
            Made(icons[k], LedgerKind::Icon, "ExtractIconExA", site);
    }
    return extracted;
}

HIMAGELIST WINAPI HookImageListCreate(int width, int height, UINT flags, int initial, int grow) {
    return Made(ImageList_Create(width, height, flags, initial, grow), LedgerKind::ImageList,
                "ImageList_Create", LEDGER_CALL_SITE);
}

BOOL WINAPI HookImageListDestroy(HIMAGELIST list) {
    const BOOL destroyed = ImageList_Destroy(list);
    Released(destroyed, {LedgerKind::ImageList}, list, "ImageList_Destroy", LEDGER_CALL_SITE);
    return destroyed;
}

HICON WINAPI HookImageListGetIcon(HIMAGELIST list, int index, UINT flags) {
    return Made(ImageList_GetIcon(list, index, flags), LedgerKind::Icon, "ImageList_GetIcon",
                LEDGER_CALL_SITE);
}

HMODULE WINAPI HookLoadLibraryA(LPCSTR name) {
    return Made(LoadLibraryA(name), LedgerKind::Library, "LoadLibraryA", LEDGER_CALL_SITE);
}

HMODULE WINAPI HookLoadLibraryW(LPCWSTR name) {
    return Made(LoadLibraryW(name), LedgerKind::Library, "LoadLibraryW", LEDGER_CALL_SITE);
}

HMODULE WINAPI HookLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
    return Made(LoadLibraryExA(name, file, flags), LedgerKind::Library, "LoadLibraryExA",
                LEDGER_CALL_SITE);
}

BOOL WINAPI HookFreeLibrary(HMODULE library) {
    const BOOL freed = FreeLibrary(library);
    Released(freed, {LedgerKind::Library}, library, "FreeLibrary", LEDGER_CALL_SITE);
    return freed;
}

HANDLE WINAPI HookFindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* found) {
    HANDLE search = FindFirstFileA(pattern, found);
    if (search == INVALID_HANDLE_VALUE)
        return search;
    return Made(search, LedgerKind::FileSearch, "FindFirstFileA", LEDGER_CALL_SITE);
}

BOOL WINAPI HookFindClose(HANDLE search) {
    const BOOL closed = FindClose(search);
    Released(closed, {LedgerKind::FileSearch}, search, "FindClose", LEDGER_CALL_SITE);
    return closed;
}

template <typename Function> void* Address(Function function) {
    return reinterpret_cast<void*>(function);
}

} // namespace

const std::vector<LedgerHook>& LedgerHooks() {
    static const std::vector<LedgerHook> hooks = {
        {"gdi32.dll", "CreateCompatibleBitmap", Address(HookCreateCompatibleBitmap)},
        {"gdi32.dll", "CreateBitmap", Address(HookCreateBitmap)},
        {"gdi32.dll", "CreateDIBitmap", Address(HookCreateDIBitmap)},
        {"gdi32.dll", "CreateDIBSection", Address(HookCreateDIBSection)},
        {"gdi32.dll", "CreateCompatibleDC", Address(HookCreateCompatibleDC)},
        {"gdi32.dll", "CreateFontIndirectA", Address(HookCreateFontIndirectA)},
        {"gdi32.dll", "CreateFontIndirectW", Address(HookCreateFontIndirectW)},
        {"gdi32.dll", "CreateSolidBrush", Address(HookCreateSolidBrush)},
        {"gdi32.dll", "CreatePatternBrush", Address(HookCreatePatternBrush)},
        {"gdi32.dll", "CreateBrushIndirect", Address(HookCreateBrushIndirect)},
        {"gdi32.dll", "CreatePen", Address(HookCreatePen)},
        {"gdi32.dll", "CreateRectRgn", Address(HookCreateRectRgn)},
        {"gdi32.dll", "CreateRectRgnIndirect", Address(HookCreateRectRgnIndirect)},
        {"gdi32.dll", "CreateRoundRectRgn", Address(HookCreateRoundRectRgn)},
        {"gdi32.dll", "CreateEllipticRgn", Address(HookCreateEllipticRgn)},
        {"gdi32.dll", "CreatePolygonRgn", Address(HookCreatePolygonRgn)},
        {"gdi32.dll", "DeleteObject", Address(HookDeleteObject)},
        {"gdi32.dll", "DeleteDC", Address(HookDeleteDC)},
        {"user32.dll", "GetDC", Address(HookGetDC)},
        {"user32.dll", "GetWindowDC", Address(HookGetWindowDC)},
        {"user32.dll", "ReleaseDC", Address(HookReleaseDC)},
        {"user32.dll", "BeginPaint", Address(HookBeginPaint)},
        {"user32.dll", "EndPaint", Address(HookEndPaint)},
        {"user32.dll", "CreateWindowExA", Address(HookCreateWindowExA)},
        {"user32.dll", "CreateWindowExW", Address(HookCreateWindowExW)},
        {"user32.dll", "DestroyWindow", Address(HookDestroyWindow)},
        {"user32.dll", "SetWindowRgn", Address(HookSetWindowRgn)},
        {"user32.dll", "SetTimer", Address(HookSetTimer)},
        {"user32.dll", "KillTimer", Address(HookKillTimer)},
        {"user32.dll", "CreateCaret", Address(HookCreateCaret)},
        {"user32.dll", "DestroyCaret", Address(HookDestroyCaret)},
        {"user32.dll", "SetPropA", Address(HookSetPropA)},
        {"user32.dll", "RemovePropA", Address(HookRemovePropA)},
        {"user32.dll", "LoadImageA", Address(HookLoadImageA)},
        {"user32.dll", "CopyImage", Address(HookCopyImage)},
        {"user32.dll", "GetIconInfo", Address(HookGetIconInfo)},
        {"user32.dll", "DestroyIcon", Address(HookDestroyIcon)},
        {"user32.dll", "DestroyCursor", Address(HookDestroyCursor)},
        {"user32.dll", "CreateIconIndirect", Address(HookCreateIconIndirect)},
        {"shell32.dll", "ExtractIconExA", Address(HookExtractIconExA)},
        {"comctl32.dll", "ImageList_Create", Address(HookImageListCreate)},
        {"comctl32.dll", "ImageList_Destroy", Address(HookImageListDestroy)},
        {"comctl32.dll", "ImageList_GetIcon", Address(HookImageListGetIcon)},
        {"kernel32.dll", "LoadLibraryA", Address(HookLoadLibraryA)},
        {"kernel32.dll", "LoadLibraryW", Address(HookLoadLibraryW)},
        {"kernel32.dll", "LoadLibraryExA", Address(HookLoadLibraryExA)},
        {"kernel32.dll", "FreeLibrary", Address(HookFreeLibrary)},
        {"kernel32.dll", "FindFirstFileA", Address(HookFindFirstFileA)},
        {"kernel32.dll", "FindClose", Address(HookFindClose)},
    };
    return hooks;
}

CHandleLedger* ActiveLedger() {
    return ledger;
}

void SetActiveLedger(CHandleLedger* active) {
    ledger = active;
}
