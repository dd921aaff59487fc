#include "base/fileversion.h"

#include <memory>
#include <new>

bool ReadFileVersion(const char* path, FileVersion& version) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return false;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
    if (!block || !GetFileVersionInfoA(path, 0, size, block.get()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.get(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof *info)
        return false;
    version = {info->dwFileVersionMS, info->dwFileVersionLS};
    return true;
}

bool ReadModuleVersion(HMODULE module, FileVersion& version) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return length > 0 && length < MAX_PATH && ReadFileVersion(path, version);
}
