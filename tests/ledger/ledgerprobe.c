/* A module that makes and releases objects in the ways the handle ledger must tell
   apart, one way per call, so that its rules are tried on calls it did not write. */
#include <windows.h>

#include "tests/ledger/ledgerprobe.h"

BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

__declspec(dllexport) UINT_PTR Probe(int what, HWND window) {
    ICONINFO info;
    HGDIOBJ brush;
    HMODULE first;
    switch (what) {
    case PROBE_BRUSH_KEPT:
        return (UINT_PTR)CreateSolidBrush(RGB(1, 2, 3));
    case PROBE_BRUSH_DELETED_TWICE:
        brush = CreateSolidBrush(RGB(1, 2, 3));
        DeleteObject(brush);
        return DeleteObject(brush);
    case PROBE_STOCK_OBJECT_DELETED:
        return DeleteObject(GetStockObject(WHITE_BRUSH));
    case PROBE_PROPERTY_SET:
        return SetPropA(window, "probe", (HANDLE)1);
    case PROBE_PROPERTY_SET_AND_REMOVED:
        SetPropA(window, "probe", (HANDLE)1);
        SetPropA(window, "probe", (HANDLE)2);
        return (UINT_PTR)RemovePropA(window, "probe");
    case PROBE_WINDOW_TIMER:
        SetTimer(window, 7, 10000, NULL);
        return SetTimer(window, 7, 20000, NULL);
    case PROBE_THREAD_TIMER:
        return SetTimer(NULL, 0, 10000, NULL);
    case PROBE_CHILD_WINDOW:
        return (UINT_PTR)CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, window, NULL, NULL,
                                         NULL);
    case PROBE_WINDOW_DC:
        return (UINT_PTR)GetDC(window);
    case PROBE_WINDOW_REGION:
        return SetWindowRgn(window, CreateRectRgn(0, 0, 5, 5), FALSE);
    case PROBE_CARET:
        CreateCaret(window, NULL, 1, 5);
        return CreateCaret(window, NULL, 2, 5);
    case PROBE_SHARED_ICON:
        return (UINT_PTR)LoadImageA(NULL, (LPCSTR)IDI_APPLICATION, IMAGE_ICON, 0, 0, LR_SHARED);
    case PROBE_ICON_INFO:
        return GetIconInfo(LoadIconA(NULL, (LPCSTR)IDI_APPLICATION), &info);
    case PROBE_LIBRARY_LOADED_TWICE_FREED_ONCE:
        first = LoadLibraryA("comctl32.dll");
        LoadLibraryA("comctl32.dll");
        return FreeLibrary(first);
    default:
        return 0;
    }
}
