// Module-wide state of the COM server: its own handle and the count of live
// objects that decides whether the DLL may be unloaded.
#pragma once

#include <windows.h>

// The plug-in's display name, as the host lists it and as its messages are captioned.
inline constexpr char PLUGIN_DISPLAY_NAME[] = "Quiescor";
inline constexpr wchar_t PLUGIN_TITLE[] = L"Quiescor";

namespace Module {
HMODULE Handle();
void SetHandle(HMODULE module);
void ObjectCreated();
void ObjectDestroyed();
LONG ObjectCount();
// Registers a window class and remembers it, so that unloading the module takes away
// classes whose procedures would otherwise point into the unloaded image.
bool RegisterWindowClass(const WNDCLASSA& windowClass);
// Unregisters every class remembered; a class that still has windows stays.
void UnregisterWindowClasses();
} // namespace Module
