#include "settings/settingsdlg.h"

#include "api/actiontable.h"
#include "base/fixedtext.h"
#include "base/module.h"
#include "base/owners.h"
#include "exitwnd/screenarea.h"
#include "exitwnd/skinformat.h"
#include "res/resource.h"
#include "settings/aboutdlg.h"
#include "settings/hotkeyctrl.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

// The skin library of Kestrova, the maker of Dockmere.
constexpr char SKIN_LIBRARY_ADDRESS[] = "http://www.kestrova.com/skinslib/index.php?show=11";
constexpr char DEFAULT_SKIN_ITEM[] = "<default>";
constexpr LRESULT DEFAULT_SKIN_DATA = -1;

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
    CopyText(givenSkinName, skinName);
    skinsListed = false;
    controlsPrinted = false;
    ListGivenSkin();
    SendMessageA(Item(IDC_HOTKEY), CHotKeyCtrl::MSG_SET_HOTKEY, hotKey, 0);
    for (const ActionRow& action : ACTIONS)
        SetBox(action.checkBoxId, action.bit);
    SetBox(IDC_CHECK_CONFIRM, OPTION_CONFIRM);
    MarkImpossibleActions();
    BuildPreview();
}

// The box stays usable: the settings outlive this computer's state, a policy or a
// hibernation file may change.
void CSettingsDlg::MarkImpossibleActions() {
    if (!availability.Impossible())
        return;
    // Owned by the dialog, so it goes with it.
    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                Window(), nullptr, Module::Handle(), nullptr);
    const std::wstring mark = LoadDialogString(ResourceModule(), IDS_CANNOT_MARK);
    for (const ActionRow& action : ACTIONS) {
        const UINT reasonId = availability.ReasonId(action.bit);
        HWND box = Item(action.checkBoxId);
        if (!reasonId || !box)
            continue;
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(GetWindowTextW(box, &text[0], static_cast<int>(text.size()))));
        SetWindowTextW(box, (text + mark).c_str());
        std::wstring reason = LoadDialogString(ResourceModule(), reasonId);
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Window();
        tool.uId = reinterpret_cast<UINT_PTR>(box);
        tool.lpszText = reason.data();
        if (tips)
            SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// Until the dialog shows, the list holds the chosen skin alone: the dialog never waits for
// the skins folder to be searched.
void CSettingsDlg::ListGivenSkin() {
    ListSkins([&](const char* folder) {
        char given[MAX_PATH];
        if (!GivenSkinFolder(given))
            return;
        ForEachSkinFolder(folder, given, [&](const char* name) {
            // The name as the folder has it, never another folder the pattern finds.
            if (lstrcmpiA(name, given) == 0)
                AddSkin(folder, name);
        });
    });
}

void CSettingsDlg::FillSkinList() {
    if (skinsListed)
        return;
    skinsListed = true;
    ListSkins([&](const char* folder) {
        ForEachSkinFolder(folder, "*", [&](const char* name) { AddSkin(folder, name); });
    });
}

// "<default>", the skins that list adds from the skins folder, and the chosen one selected.
void CSettingsDlg::ListSkins(const std::function<void(const char*)>& list) {
    HWND combo = Item(IDC_SKINS);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    skins.clear();
    LRESULT item =
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DEFAULT_SKIN_ITEM));
    SendMessageA(combo, CB_SETITEMDATA, item, DEFAULT_SKIN_DATA);
    char folder[MAX_PATH];
    CSkin::MakeSkinPath("", folder);
    if (folder[0])
        list(folder);
    SelectGivenSkin();
}

// The folder below the skins folder that the given skin name names, when it names one.
bool CSettingsDlg::GivenSkinFolder(char (&folder)[MAX_PATH]) const {
    const char* slash = std::strchr(givenSkinName, '\\');
    if (!slash || slash == givenSkinName || lstrcmpiA(slash + 1, SKIN_DESCRIPTION_FILE) != 0)
        return false;
    CopyText(folder, std::string(givenSkinName, slash).c_str());
    return true;
}

void CSettingsDlg::ForEachSkinFolder(const char* skinsFolder, const char* pattern,
                                     const std::function<void(const char*)>& visit) const {
    char path[MAX_PATH];
    if (!JoinPath({skinsFolder, pattern}, path))
        return;
    WIN32_FIND_DATAA found = {};
    FindHandle search(FindFirstFileA(path, &found));
    for (bool more = static_cast<bool>(search); more;
         more = FindNextFileA(search.Get(), &found) != FALSE) {
        if (IsSkinFolder(found))
            visit(found.cFileName);
    }
}

// The listed skin whose description the given name names, else "<default>".
void CSettingsDlg::SelectGivenSkin() {
    char current[MAX_PATH];
    CSkin::MakeSkinPath(givenSkinName, current);
    LRESULT wanted = DEFAULT_SKIN_DATA;
    for (size_t i = 0; i < skins.size(); ++i) {
        if (lstrcmpiA(skins[i].path.c_str(), current) == 0)
            wanted = static_cast<LRESULT>(i);
    }
    SelectItemByData(wanted);
}

void CSettingsDlg::AddSkin(const char* skinsFolder, const char* folderName) {
    // A path that does not fit could be neither read nor stored as a skin name.
    char description[MAX_PATH];
    if (!JoinPath({skinsFolder, folderName, "\\", SKIN_DESCRIPTION_FILE}, description))
        return;
    char name[SKIN_NAME_LIMIT + 1] = {};
    GetPrivateProfileStringA(SKIN_SECTION_GENERAL, SKIN_KEY_NAME, "", name, sizeof name,
                             description);
    if (!name[0])
        return;
    HWND list = Item(IDC_SKINS);
    LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (item < 0)
        return;
    SendMessageA(list, CB_SETITEMDATA, item, static_cast<LPARAM>(skins.size()));
    // Named after the folder that was listed, not after the first "\skins\" of the path:
    // the plug-in itself may lie below a folder of that name.
    skins.push_back({description, std::string(folderName) + "\\" + SKIN_DESCRIPTION_FILE});
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
    const RECT rect = PreviewArea();
    const SIZE area = {rect.right - rect.left, rect.bottom - rect.top};
    previewImage.Destroy();
    // The skin the plug-in already shows is previewed from what it keeps.
    if (skinCache && lstrcmpiA(name, givenSkinName) == 0) {
        previewImage = skinCache->Preview(
            givenSkinName, ResourceModule(), area, CScreenArea::DpiOf(Window()),
            [&](CSkin& skin, CRasterImage& preview) { return RenderPreview(skin, preview, area); });
        return;
    }
    previewSkin.Load(name);
    if (!RenderPreview(previewSkin, previewImage, area))
        previewImage.Destroy();
}

bool CSettingsDlg::RenderPreview(CSkin& skin, CRasterImage& preview, SIZE area) const {
    WindowDC dc(Window());
    // The skin as the exit window shows it at this resolution, then fitted to the area. A
    // folder skin larger than the area is laid out to fit it first, so that a skin of
    // thousands of pixels is never drawn whole to show a few hundred; the built-in skin,
    // small whatever the resolution, keeps its captions legible by shrinking them last.
    SkinFit fit;
    fit.dpi = CScreenArea::DpiOf(Window());
    SIZE fitted = {};
    if (!skin.IsDefault()) {
        fitted = FitPreviewSize(skin.FolderSizeAt(fit.dpi), area);
        fit.limit = fitted;
    }
    if (!dc || !RenderSkinPreview(skin, dc.Get(), ResourceModule(), preview, fit))
        return false;
    if (skin.IsDefault())
        fitted = FitPreviewSize({preview.Width(), preview.Height()}, area);
    return preview.Resample(fitted.cx, fitted.cy, 0);
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
    {
        PaintDC paint(Window());
        if (paint.Get() && previewImage.IsValid()) {
            RECT area = PreviewArea();
            previewImage.Draw(paint.Get(), area.left, area.top);
        }
    }
    if (skinsListed)
        return;
    // Every control is painted and shown before the skins folder is searched.
    RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ShowWhatWasPainted();
    FillSkinList();
}

LRESULT CSettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message != WM_ERASEBKGND || erasing)
        return CModalDialog::OnMessage(message, wParam, lParam, handled);
    handled = EraseWithPreview(reinterpret_cast<HDC>(wParam));
    if (handled)
        SetWindowLongPtrA(Window(), DWLP_MSGRESULT, TRUE);
    return handled;
}

// The background and the preview reach the window in one copy, and the first time the
// controls too: the system may show what a window has drawn after any drawing call, and
// the dialog is then never seen without its controls and its preview.
bool CSettingsDlg::EraseWithPreview(HDC dc) {
    RECT client;
    GetClientRect(Window(), &client);
    DibSection picture(dc, client.right, -client.bottom, 32);
    if (!picture)
        return false;
    erasing = true;
    DefDlgProcW(Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture.Dc()), 0);
    erasing = false;
    if (previewImage.IsValid()) {
        const RECT area = PreviewArea();
        previewImage.Draw(picture.Dc(), area.left, area.top);
    }
    if (!controlsPrinted) {
        PrintControls(Window(), picture.Dc());
        controlsPrinted = true;
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, picture.Dc(), 0, 0, SRCCOPY);
    return true;
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
        if (HIWORD(wParam) == CBN_DROPDOWN)
            FillSkinList();
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

bool CSettingsDlg::OnOK() {
    actions = 0;
    for (const ActionRow& action : ACTIONS)
        actions |= BoxBit(action.checkBoxId, action.bit);
    actions |= BoxBit(IDC_CHECK_CONFIRM, OPTION_CONFIRM);
    hotKey = static_cast<WORD>(SendMessageA(Item(IDC_HOTKEY), CHotKeyCtrl::MSG_GET_HOTKEY, 0, 0));
    ListedSkinName(SelectedSkin(), skinName);
    return true;
}
