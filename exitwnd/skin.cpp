#include "exitwnd/skin.h"

#include "base/fixedtext.h"
#include "base/module.h"
#include "exitwnd/skinfilename.h"
#include "exitwnd/skinpoint.h"

#include <shlwapi.h>

#include <cstring>

namespace {

using SkinValue = char[SKIN_VALUE_LIMIT + 1];

void ReadValue(const char* description, const char* section, const char* key, SkinValue& value) {
    GetPrivateProfileStringA(section, key, "", value, sizeof value, description);
}

bool SkinsFolder(char (&folder)[MAX_PATH]) {
    char module[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(Module::Handle(), module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    PathRemoveFileSpecA(module);
    return PathAddBackslashA(module) && JoinPath({module, "skins\\"}, folder);
}

} // namespace

CSkin::~CSkin() {
    Clear();
}

void CSkin::Clear() {
    for (SkinButton& button : buttons)
        button = SkinButton{};
    background.reset();
    backgroundSize = {};
    backgroundFile.clear();
    shownBackground.reset();
    shownTitle.reset();
    shownEmblem.reset();
}

const CRasterImage& CSkin::Background() const {
    return CSkinPictures::ImageOf(background);
}

void CSkin::Load(const char* skinName) {
    Clear();
    isDefault = true;
    pictures = std::make_shared<CSkinPictures>();
    if (!skinName)
        return;
    char description[MAX_PATH];
    MakeSkinPath(skinName, description);
    if (!description[0])
        return;
    char folder[MAX_PATH];
    std::memcpy(folder, description, MAX_PATH);
    PathRemoveFileSpecA(folder);
    if (!PathAddBackslashA(folder))
        return;

    pictures->Watch(description);
    SkinValue file;
    char path[MAX_PATH];
    ReadValue(description, SKIN_SECTION_IMAGES, SKIN_KEY_BACKGROUND, file);
    if (!LeavesSkinFolder(file) && JoinPath({folder, file}, path))
        background = pictures->File(path);
    if (!background) {
        Clear();
        return;
    }
    backgroundFile = path;
    backgroundSize = {background->Width(), background->Height()};
    shownBackground = background;
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS)
        LoadButton(description, folder, button);
    isDefault = false;
}

void CSkin::LoadButton(const char* description, const char* folder, const SkinButtonKey& button) {
    SkinValue file;
    char path[MAX_PATH];
    ReadValue(description, SKIN_SECTION_IMAGES, button.name, file);
    if (LeavesSkinFolder(file) || !JoinPath({folder, file}, path))
        return;
    CSkinPictures::Picture image = pictures->File(path);
    if (!image)
        return;
    SkinButton* entry = NextFree();
    if (!entry)
        return;
    SkinValue point;
    ReadValue(description, SKIN_SECTION_POINTS, button.name, point);
    int x = 0;
    int y = 0;
    ParsePoint(point, x, y);
    entry->key = static_cast<LONG>(button.key);
    entry->origin = {x, y};
    entry->file = path;
    entry->buttonRect = {x, y, x + image->Width(), y + image->Height() / SKIN_STATE_COUNT};
    entry->image = image;
    entry->imageSize = {image->Width(), image->Height()};
}

void CSkin::KeepOnlyWhatIsShown() {
    if (isDefault)
        return;
    background.reset();
    for (SkinButton& button : buttons)
        button.image.reset();
    pictures->LetGoOfUnused();
}

bool CSkin::GetButtonRect(LONG key, RECT& rect) const {
    const SkinButton* button = Find(key);
    if (!button)
        return false;
    rect = button->buttonRect;
    return true;
}

void CSkin::MakeSkinPath(const char* skinName, char (&path)[MAX_PATH]) {
    char folder[MAX_PATH];
    if (!SkinsFolder(folder)) {
        path[0] = '\0';
        return;
    }
    JoinPath({folder, skinName ? skinName : ""}, path);
}

bool CSkin::SkinNameFromPath(const char* path, char (&skinName)[MAX_PATH]) {
    constexpr char MARKER[] = "\\skins\\";
    const char* found = path ? StrStrIA(path, MARKER) : nullptr;
    if (!found)
        return false;
    CopyText(skinName, found + sizeof MARKER - 1);
    return true;
}

void CSkin::ParsePoint(const char* text, int& x, int& y) {
    SkinPoint point = ParseSkinPoint(text);
    x = point.x;
    y = point.y;
}

void CSkin::Hide(DWORD actions) {
    for (SkinButton& button : buttons)
        button.hidden = button.key != BUTTON_CANCEL && (static_cast<DWORD>(button.key) & actions);
}

const SkinButton* CSkin::Find(LONG key) const {
    for (const SkinButton& button : buttons) {
        if (button.key == key && key != 0 && !button.hidden)
            return &button;
    }
    return nullptr;
}

SkinButton* CSkin::NextFree() {
    for (SkinButton& button : buttons) {
        if (button.key == 0)
            return &button;
    }
    return nullptr;
}
