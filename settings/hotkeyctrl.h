// The hot-key control: a field in which the user presses the key combination that
// presses the plug-in's button from anywhere. It answers the set and get messages of
// the system's hot-key control and, unlike that one, captures the Windows key.
#pragma once

#include "api/hostapi.h"
#include "base/owners.h"

#include <windows.h>

constexpr char HOTKEY_CLASS_NAME[] = "ZRKHOTKEY_CLASS";

class CHotKeyCtrl {
public:
    static constexpr UINT MSG_SET_HOTKEY = WM_USER + 1;
    static constexpr UINT MSG_GET_HOTKEY = WM_USER + 2;
    static constexpr int TEXT_SIZE = 500;

    explicit CHotKeyCtrl(HWND window);
    CHotKeyCtrl(const CHotKeyCtrl&) = delete;
    CHotKeyCtrl& operator=(const CHotKeyCtrl&) = delete;

    // The control of a window of this class, or null.
    static CHotKeyCtrl* FromWindow(HWND window);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WORD HotKey() const { return hotKey; }
    const wchar_t* Text() const { return text; }

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void KeyDown(WPARAM virtualKey, LPARAM keyData);
    void KeyUp(WPARAM virtualKey);
    void Refresh();
    void ComposeText(const wchar_t* joiner);
    // Chooses the text's form and font so that all of it fits the field.
    void FitText();
    int TextWidth(HFONT font) const;
    HFONT TextFont() const { return fittedFont ? fittedFont.Get() : ParentFont(); }
    void PlaceCaret();
    void Paint();
    void Draw(HDC dc);
    bool PaintThemedFrame(HDC dc, const RECT& rect);
    void PaintClassicFrame(HDC dc, const RECT& rect);
    HFONT ParentFont() const;

    HWND window;
    wchar_t text[TEXT_SIZE];
    WORD hotKey = 0;
    Font fittedFont; // a smaller font than the parent's when even the short text is too wide
};

// Registers the control's class in the module the dialogs are created from, once.
void RegisterHotKeyClass(HMODULE module);
