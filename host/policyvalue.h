// One of the administrator's policies that the plug-in honours, set for a while in this
// user's (or this computer's) registry: for dry runs and tests. What was there before is
// put back when the object goes.
#pragma once

#include <windows.h>

#include <string>

class CPolicyValue {
public:
    // "NoClose", "NoLogoff", "StartMenuLogOff", "DisableLockWorkstation" or
    // "HideFastUserSwitching"; null for any other name.
    static const char* KeyOf(const std::string& name);

    CPolicyValue(const std::string& name, HKEY root = HKEY_CURRENT_USER);
    ~CPolicyValue();
    CPolicyValue(const CPolicyValue&) = delete;
    CPolicyValue& operator=(const CPolicyValue&) = delete;

    // False for an unknown name or a registry that would not take the value.
    bool IsSet() const { return set; }

private:
    HKEY root;
    std::string name;
    const char* key;
    bool set = false;
    bool hadValue = false;
    DWORD previous = 0;
};
