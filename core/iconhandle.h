// Sole owner of an icon handle.
#pragma once

#include <windows.h>

class IconHandle {
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon) : icon(icon) {}
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    IconHandle(IconHandle&& other) noexcept : icon(other.Release()) {}
    IconHandle& operator=(IconHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ~IconHandle() { Reset(); }

    HICON Get() const { return icon; }
    explicit operator bool() const { return icon != nullptr; }
    HICON Release() {
        HICON released = icon;
        icon = nullptr;
        return released;
    }
    void Reset(HICON replacement = nullptr) {
        if (icon)
            DestroyIcon(icon);
        icon = replacement;
    }

private:
    HICON icon = nullptr;
};
