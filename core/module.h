// Module-wide state of the COM server: its own handle and the count of live
// objects that decides whether the DLL may be unloaded.
#pragma once

#include <windows.h>

namespace Module {
HMODULE Handle();
void SetHandle(HMODULE module);
void ObjectCreated();
void ObjectDestroyed();
LONG ObjectCount();
} // namespace Module
