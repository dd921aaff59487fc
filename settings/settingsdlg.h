// The settings dialog: skin with a live preview, the actions the exit window offers,
// confirmation, and the hot key.
#pragma once

#include "api/actionavailability.h"
#include "base/modaldialog.h"
#include "exitwnd/skin.h"
#include "exitwnd/skincache.h"
#include "image/rasterimage.h"

#include <functional>
#include <string>
#include <vector>

class CSettingsDlg : public CModalDialog {
public:
    CSettingsDlg();

    // In and out: the caller sets them before DoModal and reads them after IDOK.
    char skinName[MAX_PATH] = {};
    DWORD actions = 0;
    WORD hotKey = 0;

    // The plug-in object's skins: the skin it has chosen is previewed from there.
    void UseSkinCache(CSkinCache* cache) { skinCache = cache; }
    // What this computer cannot do: those boxes are marked, and their tooltip says why.
    void SetAvailability(const CActionAvailability& now) { availability = now; }

protected:
    void OnInitDialog() override;
    void OnPaint() override;
    void OnCommand(WPARAM wParam) override;
    bool OnOK() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ListGivenSkin();
    void FillSkinList();
    void ListSkins(const std::function<void(const char*)>& list);
    bool GivenSkinFolder(char (&folder)[MAX_PATH]) const;
    void ForEachSkinFolder(const char* skinsFolder, const char* pattern,
                           const std::function<void(const char*)>& visit) const;
    void SelectGivenSkin();
    void AddSkin(const char* skinsFolder, const char* folderName);
    // The skin name of a listed skin: its description's path below the listed folder.
    void ListedSkinName(int skin, char (&name)[MAX_PATH]) const;
    void SelectItemByData(LRESULT data);
    // The index in skins of the selected skin, or -1 for the default skin.
    int SelectedSkin() const;
    void BuildPreview();
    bool RenderPreview(CSkin& skin, CRasterImage& preview, SIZE area) const;
    void InvalidatePreview();
    RECT PreviewArea() const;
    bool EraseWithPreview(HDC dc);
    // A check box that stands for one bit of the actions.
    void SetBox(int id, DWORD bit);
    DWORD BoxBit(int id, DWORD bit) const;
    void MarkImpossibleActions();
    void OpenSkinLibrary();
    HWND Item(int id) const { return GetDlgItem(Window(), id); }

    struct ListedSkin {
        std::string path; // of the description file
        std::string name; // the same path relative to the skins folder
    };
    std::vector<ListedSkin> skins;
    CSkin previewSkin;
    CRasterImage previewImage;
    CSkinCache* skinCache = nullptr;
    CActionAvailability availability;
    // The chosen skin as it was given, which names the skin cache's skin.
    char givenSkinName[MAX_PATH] = {};
    bool erasing = false;
    bool skinsListed = false;
    bool controlsPrinted = false;
};

// The largest size of the picture's aspect ratio that fits the area.
SIZE FitPreviewSize(SIZE picture, SIZE area);
