// A folder of its own for one test below the temporary folder, in which it lays out
// files as a user would; removed with everything below it afterwards. Unload a plug-in
// copied here first.
#pragma once

#include <string>

class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "\\" + name; }
    // Writes a file below the folder, making the folders on its way; its full path, or
    // empty when that failed.
    std::string Write(const std::string& relative, const std::string& contents);
    // The built plug-in copied below the folder; its full path, or empty.
    std::string CopyPlugin(const std::string& relative);

private:
    bool MakeFoldersFor(const std::string& relative);

    std::string path;
};
