#include "host/registryvalue.h"

#include <utility>

namespace {

constexpr char EXPLORER[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char SYSTEM[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

struct KnownPolicy {
    const char* name;
    const char* key;
};

constexpr KnownPolicy POLICIES[] = {
    {"NoClose", EXPLORER},
    {"NoLogoff", EXPLORER},
    {"StartMenuLogOff", EXPLORER},
    {"DisableLockWorkstation", SYSTEM},
    {"HideFastUserSwitching", SYSTEM},
};

bool WriteDword(HKEY key, const std::string& name, DWORD value) {
    return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

} // namespace

CRegistryValue::CRegistryValue(HKEY valueRoot, std::string valueKey, std::string valueName,
                               DWORD value)
    : root(valueRoot), key(std::move(valueKey)), name(std::move(valueName)) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &opened, nullptr) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    DWORD size = sizeof previous;
    hadValue = RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS &&
               type == REG_DWORD && size == sizeof previous;
    set = WriteDword(opened, name, value);
    RegCloseKey(opened);
}

CRegistryValue::~CRegistryValue() {
    HKEY opened = nullptr;
    if (!set || RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return;
    if (hadValue)
        WriteDword(opened, name, previous);
    else
        RegDeleteValueA(opened, name.c_str());
    RegCloseKey(opened);
}

const char* PolicyKeyOf(const std::string& name) {
    for (const KnownPolicy& policy : POLICIES) {
        if (name == policy.name)
            return policy.key;
    }
    return nullptr;
}

std::unique_ptr<CRegistryValue> SetPolicy(const std::string& name, HKEY root) {
    const char* key = PolicyKeyOf(name);
    return key ? std::make_unique<CRegistryValue>(root, key, name, 1) : nullptr;
}
