// Self-registration: the COM class keys, the host's plug-in key and the class's
// membership in the host's component category.
#pragma once

#include <windows.h>

HRESULT RegisterServer(HMODULE module);
HRESULT UnregisterServer();
