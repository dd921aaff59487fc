// The processor a module file is built for, read from its headers: the host is a 32-bit
// program and Windows loads no module of another kind into it.
#pragma once

#include <windows.h>

#include <string>

// The machine of the module's file header (IMAGE_FILE_MACHINE_I386 for 32-bit x86), or
// 0 when the file cannot be read or is not a Windows module.
WORD ModuleMachine(const std::string& path);

// Why a module of this machine cannot serve the plug-in, or empty for 32-bit x86.
std::string ForeignMachine(WORD machine);
