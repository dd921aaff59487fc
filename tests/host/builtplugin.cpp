#include "tests/host/builtplugin.h"

std::string BuiltPluginPath() {
    return QUIESCOR_DLL_PATH;
}
