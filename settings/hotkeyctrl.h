// The hot-key control: a field in which the user presses the key combination that
// presses the plug-in's button from anywhere.
#pragma once

#include <windows.h>

constexpr char HOTKEY_CLASS_NAME[] = "ZRKHOTKEY_CLASS";

// Registers the control's class in the module the dialogs are created from, once.
void RegisterHotKeyClass(HMODULE module);
