#include "settings/settingsdlg.h"

#include "core/actiontable.h"
#include "core/fixedtext.h"
#include "core/owners.h"
#include "res/resource.h"
#include "settings/aboutdlg.h"
#include "settings/hotkeyctrl.h"

#include <shellapi.h>

namespace {

// The skin library of Kestrova, the maker of Dockmere.
constexpr char SKIN_LIBRARY_ADDRESS[] = "http://www.kestrova.com/skinslib/index.php?show=11";
constexpr char DESCRIPTION_FILE[] = "quiescorskin.ini";
constexpr char DEFAULT_SKIN_ITEM[] = "<default>";
constexpr LRESULT DEFAULT_SKIN_DATA = -1;
constexpr int SKIN_NAME_SIZE = 255;

bool IsSkinFolder(const WIN32_FIND_DATAA& entry) {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return lstrcmpA(entry.cFileName, ".") != 0 && lstrcmpA(entry.cFileName, "..") != 0;
}

} // namespace

SIZE FitPreviewSize(SIZE picture, SIZE area) {
    if (picture.cx <= 0 || picture.cy <= 0)
        return {0, 0};
    // The side with the smaller scale is fitted, so that the other stays inside as well.
    double aspect = static_cast<double>(picture.cx) / picture.cy;
    SIZE fitted;
    if (static_cast<LONGLONG>(area.cx) * picture.cy <= static_cast<LONGLONG>(area.cy) * picture.cx)
        fitted = {area.cx, static_cast<LONG>(area.cx / aspect)};
    else
        fitted = {static_cast<LONG>(area.cy * aspect), area.cy};
    // A sliver of a picture still shows as one pixel rather than as nothing.
    fitted.cx = fitted.cx < 1 ? 1 : fitted.cx;
    fitted.cy = fitted.cy < 1 ? 1 : fitted.cy;
    return fitted;
}

CSettingsDlg::CSettingsDlg() : CModalDialog(IDD_SETTINGS) {}

void CSettingsDlg::OnInitDialog() {
    FillSkinList();
    SendMessageA(Item(IDC_HOTKEY), CHotKeyCtrl::MSG_SET_HOTKEY, hotKey, 0);
    for (const ActionRow& action : ACTIONS)
        SetBox(action.checkBoxId, action.bit);
    SetBox(IDC_CHECK_CONFIRM, OPTION_CONFIRM);
    BuildPreview();
}

void CSettingsDlg::FillSkinList() {
    HWND list = Item(IDC_SKINS);
    LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DEFAULT_SKIN_ITEM));
    SendMessageA(list, CB_SETITEMDATA, item, DEFAULT_SKIN_DATA);

    char folder[MAX_PATH];
    CSkin::MakeSkinPath("", folder);
    char pattern[MAX_PATH];
    if (folder[0] && JoinPath({folder, "*"}, pattern)) {
        WIN32_FIND_DATAA found = {};
        FindHandle search(FindFirstFileA(pattern, &found));
        for (bool more = static_cast<bool>(search); more;
             more = FindNextFileA(search.Get(), &found) != FALSE) {
            if (IsSkinFolder(found))
                AddSkin(folder, found.cFileName);
        }
    }

    SelectItemByData(DEFAULT_SKIN_DATA);
    char current[MAX_PATH];
    CSkin::MakeSkinPath(skinName, current);
    for (size_t i = 0; i < skins.size(); ++i) {
        if (lstrcmpiA(skins[i].path.c_str(), current) == 0)
            SelectItemByData(static_cast<LRESULT>(i));
    }
}

void CSettingsDlg::AddSkin(const char* skinsFolder, const char* folderName) {
    // A path that does not fit could be neither read nor stored as a skin name.
    char description[MAX_PATH];
    if (!JoinPath({skinsFolder, folderName, "\\", DESCRIPTION_FILE}, description))
        return;
    char name[SKIN_NAME_SIZE] = {};
    GetPrivateProfileStringA("general", "Name", "", name, SKIN_NAME_SIZE, description);
    if (!name[0])
        return;
    HWND list = Item(IDC_SKINS);
    LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (item < 0)
        return;
    SendMessageA(list, CB_SETITEMDATA, item, static_cast<LPARAM>(skins.size()));
    // Named after the folder that was listed, not after the first "\skins\" of the path:
    // the plug-in itself may lie below a folder of that name.
    skins.push_back({description, std::string(folderName) + "\\" + DESCRIPTION_FILE});
}

void CSettingsDlg::ListedSkinName(int skin, char (&name)[MAX_PATH]) const {
    name[0] = '\0';
    if (skin >= 0)
        CopyText(name, skins[skin].name.c_str());
}

void CSettingsDlg::SelectItemByData(LRESULT data) {
    HWND list = Item(IDC_SKINS);
    LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageA(list, CB_GETITEMDATA, i, 0) == data) {
            SendMessageA(list, CB_SETCURSEL, i, 0);
            return;
        }
    }
}

int CSettingsDlg::SelectedSkin() const {
    HWND list = Item(IDC_SKINS);
    LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return -1;
    LRESULT data = SendMessageA(list, CB_GETITEMDATA, selected, 0);
    if (data < 0 || static_cast<size_t>(data) >= skins.size())
        return -1;
    return static_cast<int>(data);
}

void CSettingsDlg::BuildPreview() {
    char name[MAX_PATH];
    ListedSkinName(SelectedSkin(), name);
    previewSkin.Load(name);

    previewImage.Destroy();
    WindowDC dc(Window());
    if (!dc || !RenderSkinPreview(previewSkin, dc.Get(), ResourceModule(), previewImage)) {
        previewImage.Destroy();
        return;
    }
    RECT area = PreviewArea();
    SIZE size = FitPreviewSize({previewImage.Width(), previewImage.Height()},
                               {area.right - area.left, area.bottom - area.top});
    previewImage.Resample(size.cx, size.cy, 0);
}

void CSettingsDlg::InvalidatePreview() {
    // Erased first, so that a smaller preview leaves nothing of a larger one.
    RECT area = PreviewArea();
    InvalidateRect(Window(), &area, TRUE);
}

RECT CSettingsDlg::PreviewArea() const {
    return DialogItemRect(Window(), IDC_PREVIEW);
}

void CSettingsDlg::OnPaint() {
    PaintDC paint(Window());
    if (!paint.Get() || !previewImage.IsValid())
        return;
    RECT area = PreviewArea();
    previewImage.Draw(paint.Get(), area.left, area.top);
}

// The buttons act on clicks only: a language module's template may give their
// identifiers to controls of other classes, which notify of anything.
void CSettingsDlg::OnCommand(WPARAM wParam) {
    const bool clicked = HIWORD(wParam) == BN_CLICKED;
    switch (LOWORD(wParam)) {
    case IDC_ABOUT_BUTTON:
        if (clicked) {
            CAboutDlg about;
            about.DoModal(Window(), ResourceModule());
        }
        break;
    case IDC_GET_SKINS:
        if (clicked)
            OpenSkinLibrary();
        break;
    case IDC_SKINS:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            BuildPreview();
            InvalidatePreview();
        }
        break;
    default:
        break;
    }
}

void CSettingsDlg::SetBox(int id, DWORD bit) {
    SendMessageA(Item(id), BM_SETCHECK, (actions & bit) ? BST_CHECKED : BST_UNCHECKED, 0);
}

DWORD CSettingsDlg::BoxBit(int id, DWORD bit) const {
    return SendMessageA(Item(id), BM_GETCHECK, 0, 0) != BST_UNCHECKED ? bit : 0;
}

void CSettingsDlg::OpenSkinLibrary() {
    ShellExecuteA(nullptr, "open", SKIN_LIBRARY_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL CSettingsDlg::OnOK() {
    actions = 0;
    for (const ActionRow& action : ACTIONS)
        actions |= BoxBit(action.checkBoxId, action.bit);
    actions |= BoxBit(IDC_CHECK_CONFIRM, OPTION_CONFIRM);
    hotKey = static_cast<WORD>(SendMessageA(Item(IDC_HOTKEY), CHotKeyCtrl::MSG_GET_HOTKEY, 0, 0));
    ListedSkinName(SelectedSkin(), skinName);
    return TRUE;
}
