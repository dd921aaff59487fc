#include "exitwnd/skinpictures.h"

#include "base/module.h"
#include "exitwnd/picturevariant.h"

#include <algorithm>

namespace {

constexpr char PICTURE_RESOURCE_TYPE[] = "PNG";

bool Covers(const CRasterImage& image, SIZE size) {
    return image.Width() >= size.cx && image.Height() >= size.cy;
}

// Shrinking both ways averages all the pixels; anything else takes the smooth filter.
constexpr int AVERAGING = 0;
constexpr int SMOOTH = 2;

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
    for (FilePicture& file : files) {
        if (file.path != path)
            continue;
        if (file.letGo) {
            file.picture = Decode(file);
            file.letGo = false;
        }
        return file.picture;
    }
    // Stamped before it is read: a change while it is read shows as a change later.
    FilePicture file{path, Stamp::Of(path), nullptr};
    file.picture = Decode(file);
    files.push_back(file);
    return file.picture;
}

CSkinPictures::Picture CSkinPictures::Decode(const FilePicture& file) const {
    auto image = std::make_shared<CRasterImage>();
    if (file.stamp.exists && image->LoadFromFile(file.path.c_str(), FormatPng) && image->IsValid())
        return image;
    return nullptr;
}

void CSkinPictures::LetGoOfUnused() {
    for (FilePicture& file : files) {
        if (file.picture && file.picture.use_count() == 1) {
            file.picture.reset();
            file.letGo = true;
        }
    }
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
    const size_t slash = path.find_last_of('\\');
    if (!folderChanges && slash != std::string::npos) {
        const std::string folder = path.substr(0, slash);
        folderChanges.Reset(FindFirstChangeNotificationA(folder.c_str(), TRUE,
                                                         FILE_NOTIFY_CHANGE_FILE_NAME |
                                                             FILE_NOTIFY_CHANGE_SIZE |
                                                             FILE_NOTIFY_CHANGE_LAST_WRITE));
    }
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
    if (folderChanges && WaitForSingleObject(folderChanges.Get(), 0) == WAIT_OBJECT_0)
        return false;
    return std::all_of(files.begin(), files.end(),
                       [](const FilePicture& file) { return Stamp::Of(file.path) == file.stamp; });
}

CSkinPictures::Bands CSkinPictures::Cut(const Picture& source, SIZE bandSize, int count) {
    if (!source || count < 1 || bandSize.cx < 1 || bandSize.cy < 1)
        return {};
    const LONG width = source->Width();
    const LONG height = source->Height() / count;
    if (width < 1 || height < 1)
        return {};
    const bool resized = width != bandSize.cx || height != bandSize.cy;
    if (count == 1 && !resized)
        return {source};
    const int filter = bandSize.cx < width && bandSize.cy < height ? AVERAGING : SMOOTH;
    Bands bands;
    for (int band = 0; band < count; ++band) {
        auto piece = std::make_shared<CRasterImage>();
        const bool made = count == 1
                              ? (*piece = *source).IsValid()
                              : source->Crop(0, band * height, width, (band + 1) * height, *piece);
        if (!made || (resized && !piece->Resample(bandSize.cx, bandSize.cy, filter)))
            return {};
        bands.push_back(std::move(piece));
    }
    return bands;
}

CSkinPictures::Bands CSkinPictures::FileBands(const std::string& path, SIZE bandSize, int count,
                                              SIZE chosenFor) {
    const Picture base = File(path);
    if (!base || count < 1)
        return {};
    const SIZE wanted = {std::max(bandSize.cx, chosenFor.cx),
                         std::max(bandSize.cy * count, chosenFor.cy)};
    return Cut(Sharpest(path, base, wanted), bandSize, count);
}

// The picture of that size, or else the smallest one larger, or else the largest.
CSkinPictures::Picture CSkinPictures::Sharpest(const std::string& path, const Picture& base,
                                               SIZE wanted) {
    if (Covers(*base, wanted))
        return base;
    Picture best = base;
    for (const PictureVariant& variant : PICTURE_VARIANTS) {
        const Picture finer = File(variant.PathFor(path));
        if (!finer || !variant.Fits(*finer, *base))
            continue;
        if (finer->Width() == wanted.cx && finer->Height() == wanted.cy)
            return finer;
        const bool bestCovers = Covers(*best, wanted);
        if (Covers(*finer, wanted) ? !bestCovers || finer->Width() < best->Width()
                                   : !bestCovers && finer->Width() > best->Width())
            best = finer;
    }
    return best;
}
