#include "dock/settingsfile.h"

#include "dock/docklog.h"
#include "host/streams.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool ReadAll(const std::string& path, std::vector<BYTE>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool WriteAll(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace

bool CSettingsFile::LoadInto(IHostPlugin* plugin) const {
    std::vector<BYTE> bytes;
    if (!ReadAll(path, bytes))
        return false;
    StreamPtr stream = StreamWith(bytes);
    if (!stream.Get())
        return false;
    plugin->Load(stream.Get());
    return true;
}

bool CSettingsFile::SaveFrom(IHostPlugin* plugin) const {
    StreamPtr stream = StreamWith({});
    if (!stream.Get())
        return false;
    plugin->Save(stream.Get());
    std::string temporary = path + ".new";
    if (!WriteAll(temporary, StreamBytes(stream.Get()))) {
        DockLog("cannot write %s", temporary.c_str());
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DockLog("cannot replace %s (error %lu)", path.c_str(), GetLastError());
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
