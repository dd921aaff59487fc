// Settings files of the dock, and hot keys held by other programs.
#pragma once

#include "host/settingsrecord.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A record of the newest version with these fields; the rest take their defaults.
inline std::vector<BYTE> RecordWith(WORD hotKey, const char* iconLocation = "", DWORD flags = 191) {
    SettingsRecord record;
    record.hotKey = hotKey;
    record.iconLocation = iconLocation;
    record.flags = flags;
    return record.Bytes();
}

inline void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<BYTE> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>());
}

// Whether another program holds this hot key: the system refuses it to us then.
inline bool HotKeyTaken(UINT modifiers, UINT virtualKey) {
    constexpr int PROBE_ID = 0x7F00;
    if (!RegisterHotKey(nullptr, PROBE_ID, modifiers, virtualKey))
        return true;
    UnregisterHotKey(nullptr, PROBE_ID);
    return false;
}
