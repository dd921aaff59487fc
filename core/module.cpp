#include "core/module.h"

namespace {
HMODULE moduleHandle = nullptr;
LONG objectCount = 0;
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
} // namespace Module
