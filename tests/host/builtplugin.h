// Where this build put the plug-in DLL.
#pragma once

#include <string>

std::string BuiltPluginPath();
