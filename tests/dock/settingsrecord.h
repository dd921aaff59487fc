// A settings record of the newest version as the plug-in saves it, and files of bytes.
#pragma once

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

constexpr size_t RECORD_SIZE = 534;
constexpr size_t ICON_LOCATION_OFFSET = 12;
constexpr size_t HOT_KEY_OFFSET = 532;

inline std::vector<BYTE> SettingsRecord(WORD hotKey, const char* iconLocation = "",
                                        DWORD flags = 191) {
    std::vector<BYTE> record(RECORD_SIZE, 0);
    const DWORD head[3] = {4, flags, 2};
    std::memcpy(record.data(), head, sizeof head);
    std::memcpy(&record[ICON_LOCATION_OFFSET], iconLocation, std::strlen(iconLocation));
    std::memcpy(&record[HOT_KEY_OFFSET], &hotKey, sizeof hotKey);
    return record;
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
