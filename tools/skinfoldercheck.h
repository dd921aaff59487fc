// Every problem of a skin folder that the plug-in would meet, each with its line in the
// description file: what is missing or unreadable, what the plug-in does not know, and
// what will not look as the author probably meant.
#pragma once

#include "host/screenimage.h"
#include "image/rasterimage.h"
#include "tools/findings.h"
#include "tools/profilefile.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CSkinFolderCheck {
public:
    static constexpr int MAX_SCREEN_WIDTH = 1024;
    static constexpr int MAX_SCREEN_HEIGHT = 768;

    explicit CSkinFolderCheck(const std::string& folder);

    // False when the folder holds no description file that can be read.
    bool Run(CFindings& findings);

    // The description file's name as the findings give it.
    const std::string& DescriptionPath() const { return description; }

private:
    struct Button {
        const char* name;
        CRasterImage image;
        RECT rect;
        int line; // the point's line, or the picture's when there is no point
    };

    void CheckLayout();
    void CheckName();
    bool LoadBackground();
    void CheckButton(const char* name);
    void CheckPlace(Button& button, const ProfileEntry& picture, const ProfileEntry* point);
    void CheckLooks(Button& button, const ProfileEntry& picture);
    void CheckCorners(Button& button, const ProfileEntry& picture, const ScreenImage& normal);
    bool LoadPicture(const ProfileEntry& entry, CRasterImage& image, const std::string& failing);
    // The pictures for high resolutions beside a picture that loaded.
    void CheckVariants(const ProfileEntry& entry, const CRasterImage& base);
    // Pictures for high resolutions beside the described ones that stand for no picture.
    void CheckLoneVariants();
    const ProfileEntry* PictureNamed(const std::string& value) const;
    // The button's state (or nothing, with NO_STATE) drawn over the base colour and,
    // when asked, the background beneath it, as the exit window draws it.
    bool Look(Button& button, int state, COLORREF base, bool overBackground, ScreenImage& look);

    void Error(int line, const std::string& text);
    void Warning(int line, const std::string& text);
    int SectionLine(const char* section) const;

    std::string folder;
    std::string description;
    CProfileFile file;
    struct Pending {
        int line;
        bool error;
        std::string text;
    };
    std::vector<Pending> pending; // reported by line once the check is done
    CRasterImage background;
    std::vector<std::unique_ptr<Button>> buttons;
};
