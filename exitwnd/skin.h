// A loaded skin: its background and up to seven buttons (six actions and Cancel),
// from a skin folder or from the pictures built into the module.
#pragma once

#include "api/actionflags.h"
#include "exitwnd/skinformat.h"
#include "exitwnd/skinpictures.h"
#include "image/rasterimage.h"

#include <windows.h>

#include <memory>
#include <string>

struct SkinButton {
    RECT buttonRect;              // the picture's place in the window, one state high
    LONG key;                     // the action's flag, 64 for Cancel, 0 in an empty entry
    RECT captionRect;             // only the built-in skin has captions
    CSkinPictures::Picture image; // the three states stacked: normal, pressed, hot
    SIZE imageSize;               // the picture file's own size, also once image is let go
    CSkinPictures::Bands states;  // each state as the window shows it
    POINT origin;                 // where a skin's description puts it, at 96 DPI
    std::string file;             // a skin folder's picture file
    bool hidden = false;          // its action is removed: the window shows no button
};

// Where a skin is shown: the screen's resolution, and the most room its window may
// take (none when 0).
struct SkinFit {
    static constexpr int BASE_DPI = 96;
    int dpi = BASE_DPI;
    SIZE limit = {0, 0};
    bool operator==(const SkinFit& other) const {
        return dpi == other.dpi && limit.cx == other.limit.cx && limit.cy == other.limit.cy;
    }
};

// Copies share their pictures: a window takes a copy of a skin that stays loaded.
class CSkin {
public:
    static constexpr int MAX_BUTTONS = 7;
    static constexpr int STATE_NORMAL = SKIN_STATE_NORMAL;
    static constexpr int STATE_PRESSED = SKIN_STATE_PRESSED;
    static constexpr int STATE_HOT = SKIN_STATE_HOT;
    // The buttons as the built-in skin places them from left to right, Cancel last: the
    // exit window's tab order too, and the order in which previews show them.
    static constexpr LONG BUTTON_ORDER[] = {ACTION_SWITCHUSER, ACTION_LOGOFF,  ACTION_STANDBY,
                                            ACTION_HIBERNATE,  ACTION_TURNOFF, ACTION_RESTART,
                                            BUTTON_CANCEL};

    CSkin() = default;
    virtual ~CSkin();
    CSkin(const CSkin&) = default;
    CSkin& operator=(const CSkin&) = default;

    // Loads the skin named by its description's path below the skins folder; an empty
    // or null name, or a skin whose background does not load, gives the built-in skin.
    // The pictures of the skin loaded before are let go.
    void Load(const char* skinName);
    // False once a file the skin was loaded from is not what it was.
    bool FilesUnchanged() const { return pictures->Unchanged(); }
    // False when a picture of the skin did not decode: a window made of it shows less
    // than the skin holds.
    bool IsWhole() const { return pictures->AllDecoded(); }
    // Lets go of a folder skin's pictures at their own size, keeping them only as the
    // last layout shows them: a later layout shrinks those, or reads the files again to
    // show them larger. A skin of a few thousand pixels is then not held whole.
    void KeepOnlyWhatIsShown();
    void Clear();
    bool GetButtonRect(LONG key, RECT& rect) const;
    // Shows no button for these actions, and again those of any other.
    void Hide(DWORD actions);

    // The window size the skin needs; the built-in skin places its buttons and
    // captions for the enabled actions here. Pictures, places and captions grow with the
    // resolution; a window larger than the limit is made smaller as a whole, the
    // built-in skin's captions first cut short.
    void Layout(HDC dc, HMODULE stringModule, DWORD actions, SIZE& size,
                const SkinFit& fit = SkinFit());
    // The window size a folder skin takes at a resolution before it is fitted anywhere.
    SIZE FolderSizeAt(int dpi);
    void DrawBackground(HDC dc, const RECT& rect);
    void DrawButton(HDC dc, LONG key, int state, int x, int y);
    void DrawCaption(HDC dc, LONG key) const;
    static HFONT CreateCaptionFont(double scale = 1.0);
    // What CreateCaptionFont makes the font from: nine points at 96 DPI times the scale,
    // with the system's smoothing of the menu font.
    static LOGFONTW CaptionFont(double scale = 1.0);

    bool IsDefault() const { return isDefault; }
    const CRasterImage& Background() const;
    const SkinButton& Button(int index) const { return buttons[index]; }

    // The skins folder followed by the name; empty when the two do not fit a path.
    static void MakeSkinPath(const char* skinName, char (&path)[MAX_PATH]);
    // The part of a path after "\skins\", whatever its case.
    static bool SkinNameFromPath(const char* path, char (&skinName)[MAX_PATH]);
    static void ParsePoint(const char* text, int& x, int& y);

private:
    const SkinButton* Find(LONG key) const;
    SkinButton* Find(LONG key) {
        return const_cast<SkinButton*>(static_cast<const CSkin*>(this)->Find(key));
    }
    SkinButton* NextFree();
    void LoadButton(const char* description, const char* folder, const SkinButtonKey& button);
    void LayOutAt(HDC dc, DWORD actions, double scale, LONG widthLimit, SIZE& size);
    void PlaceFolderButtons(double scale, SIZE& size);
    void ShowFolderPictures(SIZE size, double resolutionScale);
    CSkinPictures::Picture ShownBackground(SIZE size, SIZE chosenFor) const;
    CSkinPictures::Bands ShownStates(const SkinButton& button, SIZE band, SIZE chosenFor) const;
    void PlaceDefaultButtons(HDC dc, DWORD actions, double scale, LONG widthLimit, SIZE& size);
    void ShowDefaultPictures(double scale);

    bool isDefault = true;
    CSkinPictures::Picture background;
    SIZE backgroundSize = {}; // the picture file's own size, also once background is let go
    std::string backgroundFile;
    // The pictures as the window shows them, at its resolution and size.
    CSkinPictures::Picture shownBackground;
    CSkinPictures::Picture shownTitle;
    CSkinPictures::Picture shownEmblem;
    LOGFONTW captionFont = CaptionFont();
    SkinButton buttons[MAX_BUTTONS] = {};
    HMODULE stringModule = nullptr;
    std::shared_ptr<CSkinPictures> pictures = std::make_shared<CSkinPictures>();
};

// The whole skin, as it looks with every action enabled, as one picture.
bool RenderSkinPreview(CSkin& skin, HDC dc, HMODULE stringModule, CRasterImage& preview,
                       const SkinFit& fit = SkinFit());
