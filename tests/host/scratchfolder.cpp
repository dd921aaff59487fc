#include "tests/host/scratchfolder.h"

#include "base/owners.h"
#include "tests/host/builtplugin.h"

#include <windows.h>

#include <fstream>

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    {
        FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
        for (bool more = static_cast<bool>(search); more;
             more = FindNextFileA(search.Get(), &found) != FALSE) {
            const std::string name = found.cFileName;
            const std::string path = folder + "\\" + name;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(path.c_str());
            else if (name != "." && name != "..")
                RemoveTree(path);
        }
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

ScratchFolder::ScratchFolder() {
    static int made = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "quiescor-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++made);
    CreateDirectoryA(path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path);
}

bool ScratchFolder::MakeFoldersFor(const std::string& relative) {
    for (size_t slash = relative.find('\\'); slash != std::string::npos;
         slash = relative.find('\\', slash + 1)) {
        if (!CreateDirectoryA(File(relative.substr(0, slash)).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

std::string ScratchFolder::Write(const std::string& relative, const std::string& contents) {
    if (!MakeFoldersFor(relative))
        return std::string();
    std::ofstream file(File(relative), std::ios::binary);
    file << contents;
    return file.good() ? File(relative) : std::string();
}

std::string ScratchFolder::CopyPlugin(const std::string& relative) {
    if (!MakeFoldersFor(relative))
        return std::string();
    return CopyFileA(BuiltPluginPath().c_str(), File(relative).c_str(), FALSE) ? File(relative)
                                                                               : std::string();
}
