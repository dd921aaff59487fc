#include "tools/modulemachine.h"

#include <cstdio>
#include <fstream>

namespace {

constexpr std::streamoff NEW_HEADER_OFFSET = 0x3C;
// The newest header's offset lies well inside any module a resource linker makes.
constexpr uint32_t NEW_HEADER_LIMIT = 1u << 20;

bool ReadAt(std::ifstream& file, std::streamoff at, void* data, std::streamsize size) {
    file.seekg(at);
    return file && file.read(static_cast<char*>(data), size) && file.gcount() == size;
}

} // namespace

WORD ModuleMachine(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char dosMagic[2] = {};
    uint32_t newHeader = 0;
    char signature[4] = {};
    WORD machine = 0;
    if (!ReadAt(file, 0, dosMagic, sizeof dosMagic) || dosMagic[0] != 'M' || dosMagic[1] != 'Z' ||
        !ReadAt(file, NEW_HEADER_OFFSET, &newHeader, sizeof newHeader) ||
        newHeader > NEW_HEADER_LIMIT || !ReadAt(file, newHeader, signature, sizeof signature) ||
        signature[0] != 'P' || signature[1] != 'E' || signature[2] != 0 || signature[3] != 0 ||
        !ReadAt(file, newHeader + sizeof signature, &machine, sizeof machine))
        return 0;
    return machine;
}

std::string ForeignMachine(WORD machine) {
    const char* kind = machine == IMAGE_FILE_MACHINE_AMD64   ? "a 64-bit module (x64)"
                       : machine == 0xAA64                   ? "a 64-bit module (ARM64)"
                       : machine == IMAGE_FILE_MACHINE_ARMNT ? "a module for ARM"
                                                             : nullptr;
    if (machine == IMAGE_FILE_MACHINE_I386)
        return {};
    char other[48];
    std::snprintf(other, sizeof other, "a module for machine 0x%04X",
                  static_cast<unsigned>(machine));
    return std::string(kind ? kind : other) +
           ": the host and the plug-in are 32-bit, and Windows loads only 32-bit modules "
           "into them. Build it with a 32-bit tool chain (i686-w64-mingw32-windres and "
           "i686-w64-mingw32-gcc, or Visual Studio's x86 tools with /MACHINE:X86)";
}
