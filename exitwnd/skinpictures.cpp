#include "exitwnd/skinpictures.h"

#include "core/module.h"

#include <algorithm>

namespace {

constexpr char PICTURE_RESOURCE_TYPE[] = "PNG";

} // namespace

CSkinPictures::Stamp CSkinPictures::Stamp::Of(const std::string& path) {
    Stamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return stamp;
    stamp.exists = true;
    stamp.written = data.ftLastWriteTime;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return stamp;
}

bool CSkinPictures::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && CompareFileTime(&written, &other.written) == 0 &&
           size == other.size;
}

CSkinPictures::Picture CSkinPictures::File(const std::string& path) {
    for (const FilePicture& file : files) {
        if (file.path == path)
            return file.picture;
    }
    // Stamped before it is read: a change while it is read shows as a change later.
    FilePicture file{path, Stamp::Of(path), nullptr};
    auto image = std::make_shared<CRasterImage>();
    if (file.stamp.exists && image->LoadFromFile(path.c_str(), FormatPng) && image->IsValid())
        file.picture = std::move(image);
    files.push_back(file);
    return file.picture;
}

CSkinPictures::Picture CSkinPictures::Resource(int id) {
    for (const ResourcePicture& resource : resources) {
        if (resource.id == id)
            return resource.picture;
    }
    HMODULE module = Module::Handle();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), PICTURE_RESOURCE_TYPE);
    auto image = std::make_shared<CRasterImage>();
    Picture picture;
    if (found && image->LoadFromResource(found, FormatPng, module) && image->IsValid())
        picture = std::move(image);
    resources.push_back({id, picture});
    return picture;
}

void CSkinPictures::Watch(const std::string& path) {
    const bool known = std::any_of(files.begin(), files.end(),
                                   [&](const FilePicture& file) { return file.path == path; });
    if (!known)
        files.push_back({path, Stamp::Of(path), nullptr});
}

const CRasterImage& CSkinPictures::ImageOf(const Picture& picture) {
    static const CRasterImage none;
    return picture ? *picture : none;
}

bool CSkinPictures::Unchanged() const {
    return std::all_of(files.begin(), files.end(),
                       [](const FilePicture& file) { return Stamp::Of(file.path) == file.stamp; });
}
