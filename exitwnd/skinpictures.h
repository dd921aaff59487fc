// The decoded pictures of one skin: the files of its folder and the pictures built into
// the module, each decoded once and shared by every skin object that draws them. The
// plug-in object keeps one between presses, so that a second press decodes nothing.
#pragma once

#include "base/owners.h"
#include "image/rasterimage.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CSkinPictures {
public:
    using Picture = std::shared_ptr<const CRasterImage>;

    // A picture file of the skin's folder; null when it does not decode.
    Picture File(const std::string& path);
    // A PNG picture built into the plug-in's own module; null when it does not decode.
    Picture Resource(int id);
    // A file the skin was read from besides its pictures (its description). The first
    // one names the folder whose changes are watched from then on.
    void Watch(const std::string& path);
    // False once a file that was read, or looked for and not found, is not what it was,
    // or anything was written in the folder: a picture copied over another with its size
    // and time kept changes no stamp.
    bool Unchanged() const;
    // The picture, or an empty image (which measures 0 and draws nothing) for none.
    static const CRasterImage& ImageOf(const Picture& picture);

    // A picture cut from the top into `count` bands of equal height, each at bandSize.
    using Bands = std::vector<Picture>;
    static Bands Cut(const Picture& source, SIZE bandSize, int count);
    // The same for a picture file: where the wanted size is larger than the file's own,
    // a picture for high resolutions beside it ("name@1.5x.png", "name@2x.png") is cut
    // instead, so that it is resampled as little as possible.
    // chosenFor, where larger, is the size the picture is chosen for: the resolution's,
    // when the window is shown smaller to fit the screen.
    Bands FileBands(const std::string& path, SIZE bandSize, int count, SIZE chosenFor = {});
    // Lets go of every decoded file that no skin holds any more; a file let go of is read
    // again when it is asked for.
    void LetGoOfUnused();

private:
    Picture Sharpest(const std::string& path, const Picture& base, SIZE wanted);

    // What a file was when it was read: its last write and its size, or its absence.
    struct Stamp {
        bool exists = false;
        FILETIME written = {};
        ULONGLONG size = 0;
        static Stamp Of(const std::string& path);
        bool operator==(const Stamp& other) const;
    };
    struct FilePicture {
        std::string path;
        Stamp stamp;
        Picture picture;
        bool letGo = false; // it decoded, and is read again when asked for
    };
    Picture Decode(const FilePicture& file) const;
    struct ResourcePicture {
        int id;
        Picture picture;
    };

    std::vector<FilePicture> files;
    std::vector<ResourcePicture> resources;
    ChangeNotification folderChanges; // none where the system cannot watch the folder
};
