#include "dock/hotkeybinding.h"

bool CHotKeyBinding::Bind(HWND target, WORD hotKey) {
    Unbind();
    UINT virtualKey = LOBYTE(hotKey);
    if (virtualKey == 0 || !RegisterHotKey(target, ID, Modifiers(hotKey), virtualKey))
        return false;
    window = target;
    bound = hotKey;
    return true;
}

void CHotKeyBinding::Unbind() {
    if (!bound)
        return;
    UnregisterHotKey(window, ID);
    window = nullptr;
    bound = 0;
}

UINT CHotKeyBinding::Modifiers(WORD hotKey) {
    // The extended-key bit only tells the control how to name the key.
    UINT modifiers = 0;
    if (hotKey & HOTKEY_SHIFT)
        modifiers |= MOD_SHIFT;
    if (hotKey & HOTKEY_CONTROL)
        modifiers |= MOD_CONTROL;
    if (hotKey & HOTKEY_ALT)
        modifiers |= MOD_ALT;
    if (hotKey & HOTKEY_WIN)
        modifiers |= MOD_WIN;
    return modifiers;
}
