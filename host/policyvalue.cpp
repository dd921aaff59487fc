#include "host/policyvalue.h"

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

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

} // namespace

const char* CPolicyValue::KeyOf(const std::string& name) {
    for (const KnownPolicy& policy : POLICIES) {
        if (name == policy.name)
            return policy.key;
    }
    return nullptr;
}

CPolicyValue::CPolicyValue(const std::string& policyName, HKEY policyRoot)
    : root(policyRoot), name(policyName), key(KeyOf(policyName)) {
    HKEY opened = nullptr;
    if (!key || RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                                &opened, nullptr) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    DWORD size = sizeof previous;
    hadValue = RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS &&
               type == REG_DWORD && size == sizeof previous;
    set = WriteDword(opened, name.c_str(), 1);
    RegCloseKey(opened);
}

CPolicyValue::~CPolicyValue() {
    HKEY opened = nullptr;
    if (!set || RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return;
    if (hadValue)
        WriteDword(opened, name.c_str(), previous);
    else
        RegDeleteValueA(opened, name.c_str());
    RegCloseKey(opened);
}
