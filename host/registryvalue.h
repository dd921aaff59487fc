// A DWORD of the registry set for a while, for dry runs and tests: the administrator's
// policies that the plug-in honours, or a setting of Windows such as Fast Startup. What
// was there before is put back when the object goes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CRegistryValue {
public:
    CRegistryValue(HKEY root, std::string key, std::string name, DWORD value);
    ~CRegistryValue();
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

    // False when the registry would not take the value.
    bool IsSet() const { return set; }

private:
    HKEY root;
    std::string key;
    std::string name;
    bool set = false;
    bool hadValue = false;
    DWORD previous = 0;
};

// The key below the root of "NoClose", "NoLogoff", "StartMenuLogOff",
// "DisableLockWorkstation" or "HideFastUserSwitching"; null for any other name.
const char* PolicyKeyOf(const std::string& name);
// That policy set to 1 for the user or the computer; null for an unknown name.
std::unique_ptr<CRegistryValue> SetPolicy(const std::string& name, HKEY root = HKEY_CURRENT_USER);
