// A settings record laid out byte by byte as the host stores it: what a host hands the
// plug-in's Load, and where the fields lie in what its Save wrote.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

constexpr size_t RECORD_SIZE = 534;
constexpr size_t FLAGS_OFFSET = 4;
constexpr size_t LAST_ACTION_OFFSET = 8;
constexpr size_t ICON_LOCATION_OFFSET = 12;
constexpr size_t SKIN_NAME_OFFSET = 272;
constexpr size_t HOT_KEY_OFFSET = 532;

struct SettingsRecord {
    DWORD version = 4;
    DWORD flags = 191;
    DWORD lastAction = 2;
    std::string iconLocation;
    std::string skinName;
    WORD hotKey = 0;

    std::vector<BYTE> Bytes() const {
        std::vector<BYTE> bytes(RECORD_SIZE, 0);
        std::memcpy(&bytes[0], &version, 4);
        std::memcpy(&bytes[FLAGS_OFFSET], &flags, 4);
        std::memcpy(&bytes[LAST_ACTION_OFFSET], &lastAction, 4);
        std::memcpy(&bytes[ICON_LOCATION_OFFSET], iconLocation.data(), iconLocation.size());
        std::memcpy(&bytes[SKIN_NAME_OFFSET], skinName.data(), skinName.size());
        std::memcpy(&bytes[HOT_KEY_OFFSET], &hotKey, 2);
        return bytes;
    }
};

inline DWORD WordAt(const std::vector<BYTE>& bytes, size_t offset) {
    DWORD value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, &bytes[offset], 4);
    return value;
}
