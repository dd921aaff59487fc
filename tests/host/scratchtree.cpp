#include "tests/host/scratchtree.h"

#include "tests/host/pluginlibrary.h"

#include <windows.h>

#include <fstream>

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

CScratchTree::CScratchTree() {
    static int made = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "quiescor-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++made);
    CreateDirectoryA(root.c_str(), nullptr);
}

CScratchTree::~CScratchTree() {
    RemoveTree(root);
}

bool CScratchTree::MakeFoldersFor(const std::string& file) {
    for (size_t slash = file.find('\\'); slash != std::string::npos;
         slash = file.find('\\', slash + 1)) {
        const std::string folder = root + "\\" + file.substr(0, slash);
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

std::string CScratchTree::Write(const std::string& relative, const std::string& contents) {
    if (!MakeFoldersFor(relative))
        return std::string();
    const std::string path = root + "\\" + relative;
    std::ofstream file(path, std::ios::binary);
    file << contents;
    return file.good() ? path : std::string();
}

std::string CScratchTree::CopyPlugin(const std::string& relative) {
    if (!MakeFoldersFor(relative))
        return std::string();
    const std::string path = root + "\\" + relative;
    return CopyFileA(BuiltPluginPath().c_str(), path.c_str(), FALSE) ? path : std::string();
}
