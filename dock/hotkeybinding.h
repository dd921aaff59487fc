// One system-wide hot key bound to a window, in the plug-in's 16-bit encoding: low
// byte the virtual key, high byte the modifiers.
#pragma once

#include "api/hostapi.h"

#include <windows.h>

class CHotKeyBinding {
public:
    // The identifier that WM_HOTKEY carries.
    static constexpr int ID = 1;

    CHotKeyBinding() = default;
    CHotKeyBinding(const CHotKeyBinding&) = delete;
    CHotKeyBinding& operator=(const CHotKeyBinding&) = delete;
    ~CHotKeyBinding() { Unbind(); }

    // Replaces any earlier binding; false when the system refuses the key (taken by
    // another program, or no virtual key).
    bool Bind(HWND window, WORD hotKey);
    void Unbind();
    WORD Bound() const { return bound; }

    // The RegisterHotKey modifiers for a hot-key value.
    static UINT Modifiers(WORD hotKey);

private:
    HWND window = nullptr;
    WORD bound = 0;
};
