// The object that answers a window's messages, kept with the window: in a window
// property of a given name, or, without a name, in the window's user data. Attached when
// the window is made, looked up by its window procedure, detached when it is destroyed.
#pragma once

#include <windows.h>

template <typename Object> class WindowObject {
public:
    constexpr explicit WindowObject(const char* property = nullptr) : property(property) {}

    // At WM_NCCREATE: the object given to CreateWindowEx, attached; null when there is
    // none or it cannot be kept.
    Object* AttachCreated(HWND window, LPARAM createStruct) const {
        auto* object = static_cast<Object*>(
            reinterpret_cast<const CREATESTRUCTA*>(createStruct)->lpCreateParams);
        return object && Attach(window, object) ? object : nullptr;
    }
    bool Attach(HWND window, Object* object) const {
        if (property)
            return SetPropA(window, property, object) != FALSE;
        SetLastError(ERROR_SUCCESS);
        return SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object)) != 0 ||
               GetLastError() == ERROR_SUCCESS;
    }
    // Null for a window without one, and for one that is gone.
    Object* Of(HWND window) const {
        if (!IsWindow(window))
            return nullptr;
        if (property)
            return static_cast<Object*>(GetPropA(window, property));
        return reinterpret_cast<Object*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    void Detach(HWND window) const {
        if (property)
            RemovePropA(window, property);
        else
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }

private:
    const char* property;
};
