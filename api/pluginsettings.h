// The record the host keeps for each button, and the version of its stream.
#pragma once

#include "api/actionflags.h"

#include <windows.h>

constexpr DWORD PLUGIN_STREAM_VERSION = 4;

struct PluginSettings {
    DWORD flags = ALL_ACTIONS | OPTION_CONFIRM;
    DWORD lastAction = ACTION_TURNOFF;
    char iconLocation[MAX_PATH] = {};
    char skinName[MAX_PATH] = {};
    WORD hotKey = 0;
};
