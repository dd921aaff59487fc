#include "base/module.h"

namespace {
HMODULE moduleHandle = nullptr;
LONG objectCount = 0;

// The classes this module registered: names are the code's own constants, and a class
// is registered in the plug-in's module or in a language module, a few at most.
struct RegisteredClass {
    const char* name;
    HINSTANCE instance;
};
constexpr int MAX_REGISTERED_CLASSES = 16;
RegisteredClass registeredClasses[MAX_REGISTERED_CLASSES] = {};
int registeredCount = 0;
} // namespace

namespace Module {
// Linked into a program rather than the DLL, the program's own module stands in.
HMODULE Handle() {
    return moduleHandle ? moduleHandle : GetModuleHandleA(nullptr);
}
void SetHandle(HMODULE module) {
    moduleHandle = module;
}
void ObjectCreated() {
    InterlockedIncrement(&objectCount);
}
void ObjectDestroyed() {
    InterlockedDecrement(&objectCount);
}
LONG ObjectCount() {
    return objectCount;
}
bool RegisterWindowClass(const WNDCLASSA& windowClass) {
    if (!RegisterClassA(&windowClass))
        return false;
    for (int i = 0; i < registeredCount; ++i) {
        const RegisteredClass& known = registeredClasses[i];
        if (known.instance == windowClass.hInstance &&
            lstrcmpA(known.name, windowClass.lpszClassName) == 0)
            return true;
    }
    if (registeredCount < MAX_REGISTERED_CLASSES)
        registeredClasses[registeredCount++] = {windowClass.lpszClassName, windowClass.hInstance};
    return true;
}
void UnregisterWindowClasses() {
    for (int i = 0; i < registeredCount; ++i)
        UnregisterClassA(registeredClasses[i].name, registeredClasses[i].instance);
    registeredCount = 0;
}
} // namespace Module
