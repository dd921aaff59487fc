// A tooltip tool, and the bits that shape and time its tip.
#pragma once

#include <windows.h>

#include <string>

// Style bits.
constexpr DWORD TipAnchor = 0x1;
constexpr DWORD TipShadow = 0x2;
constexpr DWORD TipRounded = 0x4;
constexpr DWORD TextVCenter = 0x8;
constexpr DWORD TextBottom = 0x10;
constexpr DWORD IconVCenter = 0x20;
constexpr DWORD IconBottom = 0x40;
constexpr DWORD ShowInactive = 0x100;  // global style only
constexpr DWORD TrackDisabled = 0x200; // global style only

// Where the tip lies relative to the cursor.
constexpr DWORD AboveLeft = 0;
constexpr DWORD AboveRight = 1;
constexpr DWORD BelowLeft = 2;
constexpr DWORD BelowRight = 3;

// Behaviour bits.
constexpr DWORD ReshowOnMove = 0x1;
constexpr DWORD KeepWhileInside = 0x4;
constexpr DWORD NoAutopopOverTip = 0x8;
constexpr DWORD NoAutopop = 0x10;

// Which fields a tool sets itself rather than taking the tooltip's.
constexpr DWORD OVERRIDE_STYLE = 1;
constexpr DWORD OVERRIDE_EFFECT = 2;
constexpr DWORD OVERRIDE_DIRECTION = 8;
constexpr DWORD OVERRIDE_BEHAVIOUR = 16;

struct ToolInfo {
    HWND hwnd = nullptr;
    DWORD userValue = 0;
    RECT rect = {};       // tool window client coordinates; empty means the whole window
    HICON icon = nullptr; // not owned
    std::wstring text;    // markup
    DWORD overrides = 0;
    DWORD style = 0;
    DWORD direction = 0;
    DWORD effect = 0;
    DWORD behaviour = 0;
};

// WM_NOTIFY code sent to the notify window just before a tip shows. The receiver may
// change the tool's fields, all but its rectangle, to change the tip about to be shown.
constexpr UINT TIPN_BEFORESHOW = 1124;

struct TipNotify {
    NMHDR hdr;
    POINT* cursor; // screen coordinates
    ToolInfo* tool;
};
