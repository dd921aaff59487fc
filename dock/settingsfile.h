// The file beside the dock that keeps the plug-in object's settings stream between
// runs.
#pragma once

#include "api/hostapi.h"

#include <string>
#include <utility>

class CSettingsFile {
public:
    explicit CSettingsFile(std::string path) : path(std::move(path)) {}

    const std::string& Path() const { return path; }

    // Hands the saved bytes to the object's Load; false, without calling it, when
    // there is no file to read.
    bool LoadInto(IHostPlugin* plugin) const;
    // Replaces the file with what the object's Save writes. The bytes go to a
    // temporary file first, so that a crash never leaves half a record.
    bool SaveFrom(IHostPlugin* plugin) const;

private:
    std::string path;
};
