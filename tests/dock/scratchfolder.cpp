#include "tests/dock/scratchfolder.h"

#include <windows.h>

ScratchFolder::ScratchFolder() {
    static int made = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "quiescor-dock-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++made);
    CreateDirectoryA(path.c_str(), nullptr);
}

namespace {

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(folder + "\\" + name);
            else
                DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

ScratchFolder::~ScratchFolder() {
    RemoveFolder(path);
}
