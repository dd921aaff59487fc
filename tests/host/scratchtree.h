// A fresh folder below the temporary folder, in which a test lays out files as a user
// installs them; removed with everything below it. Unload a plug-in copied here first.
#pragma once

#include <string>

class CScratchTree {
public:
    CScratchTree();
    ~CScratchTree();
    CScratchTree(const CScratchTree&) = delete;
    CScratchTree& operator=(const CScratchTree&) = delete;

    const std::string& Path() const { return root; }
    // Writes a file below the folder, making the folders on its way; its full path, or
    // empty when that failed.
    std::string Write(const std::string& relative, const std::string& contents);
    // The built plug-in copied below the folder; its full path, or empty.
    std::string CopyPlugin(const std::string& relative);

private:
    bool MakeFoldersFor(const std::string& file);

    std::string root;
};
