#include "settings/hotkeyctrl.h"

#include "base/guard.h"
#include "base/module.h"
#include "base/owners.h"
#include "base/windowobject.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr WindowObject<CHotKeyCtrl> CONTROL_OBJECT("zrkhotkey_this");
constexpr int TEXT_MARGIN = 4;
constexpr int CARET_TOP = 2;
constexpr int EDIT_PART_TEXT = 1;
constexpr int EDIT_STATE_NORMAL = 1;
constexpr wchar_t FULL_JOINER[] = L" + ";
constexpr wchar_t SHORT_JOINER[] = L"+";
// A new main key keeps the modifiers held but not the extended bit of the one before.
constexpr WORD KEPT_WITH_NEW_KEY = 0xFF00 & ~HOTKEY_EXTENDED;
// Smaller than this a text would no longer be read; it is clipped instead.
constexpr LONG SMALLEST_FONT_HEIGHT = 7;

using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);

// Left and right keys count as the same modifier.
WORD ModifierBit(UINT virtualKey) {
    switch (virtualKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return HOTKEY_SHIFT;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return HOTKEY_CONTROL;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return HOTKEY_ALT;
    case VK_LWIN:
    case VK_RWIN:
    case VK_OEM_JUMP:
    case VK_OEM_FINISH:
        return HOTKEY_WIN;
    default:
        return 0;
    }
}

bool IsExtendedKey(LPARAM keyData) {
    return (HIWORD(keyData) & KF_EXTENDED) != 0;
}

void Append(wchar_t (&text)[CHotKeyCtrl::TEXT_SIZE], const wchar_t* more) {
    int used = lstrlenW(text);
    lstrcpynW(text + used, more, CHotKeyCtrl::TEXT_SIZE - used);
}

HFONT FontOfHeight(LOGFONTW description, LONG height) {
    description.lfHeight = -height;
    description.lfWidth = 0;
    return CreateFontIndirectW(&description);
}

} // namespace

CHotKeyCtrl::CHotKeyCtrl(HWND window) : window(window) {
    lstrcpyW(text, L"None");
}

CHotKeyCtrl* CHotKeyCtrl::FromWindow(HWND window) {
    return CONTROL_OBJECT.Of(window);
}

LRESULT CALLBACK CHotKeyCtrl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        std::unique_ptr<CHotKeyCtrl> control(new (std::nothrow) CHotKeyCtrl(window));
        if (control && CONTROL_OBJECT.Attach(window, control.get()))
            control.release();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    CHotKeyCtrl* control = FromWindow(window);
    if (!control)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_DESTROY) {
        CONTROL_OBJECT.Detach(window);
        delete control;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return Guarded([&] { return DefWindowProcA(window, message, wParam, lParam); },
                   [&] { return control->Handle(message, wParam, lParam); });
}

LRESULT CHotKeyCtrl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS: {
        RECT client;
        GetClientRect(window, &client);
        CreateCaret(window, nullptr, 0, client.bottom - client.top - 4);
        PlaceCaret();
        ShowCaret(window);
        return 0;
    }
    case WM_KILLFOCUS:
        DestroyCaret();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT:
        Draw(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_GETDLGCODE:
        // Every key, Tab, Enter and Escape included, belongs to the combination.
        return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        KeyDown(wParam, lParam);
        Refresh();
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        KeyUp(wParam);
        Refresh();
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
        // The keys were taken as they went down; Alt+Space must not open the system menu.
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(TextFont());
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case MSG_SET_HOTKEY:
        // Modifiers without a key make no hot key: the field says so.
        hotKey = LOBYTE(LOWORD(wParam)) ? LOWORD(wParam) : 0;
        Refresh();
        return 0;
    case MSG_GET_HOTKEY:
        return hotKey;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The key is the one the keyboard reports: its scan code is shared with other keys
// (Pause and Num Lock, the keypad's digits and the arrows, Print Screen and *).
void CHotKeyCtrl::KeyDown(WPARAM key, LPARAM keyData) {
    UINT virtualKey = static_cast<UINT>(key) & 0xFF;
    if (!virtualKey)
        return;
    if (WORD modifier = ModifierBit(virtualKey)) {
        // A modifier after a complete combination begins a new one.
        if (LOBYTE(hotKey))
            hotKey = 0;
        hotKey |= modifier;
        return;
    }
    hotKey = static_cast<WORD>(virtualKey | (hotKey & KEPT_WITH_NEW_KEY));
    if (IsExtendedKey(keyData))
        hotKey |= HOTKEY_EXTENDED;
}

void CHotKeyCtrl::KeyUp(WPARAM key) {
    // Once a main key is chosen the combination stays as the keys are let go.
    WORD modifier = ModifierBit(static_cast<UINT>(key) & 0xFF);
    if (modifier && !LOBYTE(hotKey))
        hotKey &= static_cast<WORD>(~modifier);
}

void CHotKeyCtrl::Refresh() {
    ComposeText(FULL_JOINER);
    FitText();
    PlaceCaret();
    InvalidateRect(window, nullptr, FALSE);
}

void CHotKeyCtrl::ComposeText(const wchar_t* joiner) {
    if (!hotKey) {
        lstrcpyW(text, L"None");
        return;
    }
    text[0] = L'\0';
    const struct {
        WORD bit;
        const wchar_t* name;
    } modifiers[] = {{HOTKEY_CONTROL, L"Ctrl"},
                     {HOTKEY_SHIFT, L"Shift"},
                     {HOTKEY_ALT, L"Alt"},
                     {HOTKEY_WIN, L"Win"}};
    for (const auto& modifier : modifiers) {
        if (hotKey & modifier.bit) {
            Append(text, modifier.name);
            Append(text, joiner);
        }
    }
    BYTE key = LOBYTE(hotKey);
    if (!key)
        return;
    UINT scanCode = MapVirtualKeyW(key, 0);
    if (hotKey & HOTKEY_EXTENDED)
        scanCode |= KF_EXTENDED;
    wchar_t name[256] = {};
    GetKeyNameTextW(static_cast<LONG>(scanCode << 16), name, ARRAYSIZE(name) - 1);
    if (!name[0])
        wsprintfW(name, L"#%d", key);
    Append(text, name);
}

// Three or four modifiers do not fit the field as "Ctrl + Shift + Alt + ": they are
// joined closer, and when even that is too wide, the font is made smaller.
void CHotKeyCtrl::FitText() {
    fittedFont.Reset();
    RECT client;
    GetClientRect(window, &client);
    const int room = client.right - client.left - 2 * TEXT_MARGIN;
    if (TextWidth(ParentFont()) <= room)
        return;
    ComposeText(SHORT_JOINER);
    int width = TextWidth(ParentFont());
    if (width <= room || room <= 0)
        return;
    LOGFONTW description = {};
    LONG height = 0;
    {
        WindowDC dc(window);
        if (!dc)
            return;
        Selection font(dc.Get(), ParentFont());
        TEXTMETRICW metrics = {};
        if (!GetObjectW(GetCurrentObject(dc.Get(), OBJ_FONT), sizeof description, &description) ||
            !GetTextMetricsW(dc.Get(), &metrics))
            return;
        height = (metrics.tmHeight - metrics.tmInternalLeading) * room / width;
    }
    for (height = std::max(height, SMALLEST_FONT_HEIGHT);; --height) {
        fittedFont.Reset(FontOfHeight(description, height));
        if (!fittedFont || TextWidth(fittedFont.Get()) <= room || height == SMALLEST_FONT_HEIGHT)
            return;
    }
}

int CHotKeyCtrl::TextWidth(HFONT font) const {
    WindowDC dc(window);
    if (!dc)
        return 0;
    Selection selected(dc.Get(), font);
    RECT rect = {};
    DrawTextW(dc.Get(), text, -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    return rect.right - rect.left;
}

void CHotKeyCtrl::PlaceCaret() {
    // The caret belongs to whichever window has the focus; only ours may be moved.
    if (GetFocus() != window)
        return;
    RECT client;
    GetClientRect(window, &client);
    int right = client.right - TEXT_MARGIN;
    int x = TEXT_MARGIN + TextWidth(TextFont());
    SetCaretPos(x < right ? x : right, CARET_TOP);
}

void CHotKeyCtrl::Paint() {
    PaintDC paint(window);
    if (paint.Get())
        Draw(paint.Get());
}

void CHotKeyCtrl::Draw(HDC dc) {
    RECT rect;
    GetClientRect(window, &rect);
    if (!PaintThemedFrame(dc, rect))
        PaintClassicFrame(dc, rect);
    Selection font(dc, TextFont());
    SetBkMode(dc, TRANSPARENT);
    InflateRect(&rect, -TEXT_MARGIN, 0);
    DrawTextW(dc, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
}

bool CHotKeyCtrl::PaintThemedFrame(HDC dc, const RECT& rect) {
    // UxTheme is bound at paint time: systems without it get the classic frame.
    LibraryHandle library(LoadLibraryA("uxtheme.dll"));
    auto openTheme = LibraryFunction<OpenThemeDataFn>(library.Get(), "OpenThemeData");
    auto drawBackground =
        LibraryFunction<DrawThemeBackgroundFn>(library.Get(), "DrawThemeBackground");
    auto closeTheme = LibraryFunction<CloseThemeDataFn>(library.Get(), "CloseThemeData");
    if (!openTheme || !drawBackground || !closeTheme)
        return false;
    HANDLE theme = openTheme(nullptr, L"EDIT");
    if (!theme)
        return false;
    HRESULT drawn = drawBackground(theme, dc, EDIT_PART_TEXT, EDIT_STATE_NORMAL, &rect, &rect);
    closeTheme(theme);
    return SUCCEEDED(drawn);
}

void CHotKeyCtrl::PaintClassicFrame(HDC dc, const RECT& rect) {
    Pen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
    Selection selected(dc, pen.Get());
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetBkMode(dc, OPAQUE);
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

HFONT CHotKeyCtrl::ParentFont() const {
    return reinterpret_cast<HFONT>(SendMessageA(GetParent(window), WM_GETFONT, 0, 0));
}

void RegisterHotKeyClass(HMODULE module) {
    WNDCLASSA existing;
    if (GetClassInfoA(module, HOTKEY_CLASS_NAME, &existing)) {
        if (existing.lpfnWndProc == CHotKeyCtrl::WindowProc)
            return;
        // Left in the language module by an earlier load of the plug-in, whose code is gone.
        UnregisterClassA(HOTKEY_CLASS_NAME, module);
    }
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = CHotKeyCtrl::WindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = HOTKEY_CLASS_NAME;
    Module::RegisterWindowClass(windowClass);
}
