#include "tools/skinfoldercheck.h"

#include "base/owners.h"
#include "exitwnd/picturevariant.h"
#include "exitwnd/skinformat.h"
#include "exitwnd/skinfilename.h"
#include "exitwnd/skinpoint.h"
#include "host/skinrefusal.h"
#include "host/windowcapture.h"
#include "tools/lookalike.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace {

// Corners that differ from the background beneath by more than this are seen.
constexpr int CORNER_DIFFERENCE = 24;

// The background alone, without the button.
constexpr int NO_STATE = -1;

std::string FolderOf(const std::string& value) {
    const size_t slash = value.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : value.substr(0, slash + 1);
}

bool SamePath(std::string one, std::string other) {
    std::replace(one.begin(), one.end(), '/', '\\');
    std::replace(other.begin(), other.end(), '/', '\\');
    return CProfileFile::SameName(one, other);
}

bool IsButtonName(const std::string& key) {
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS) {
        if (CProfileFile::SameName(key, button.name))
            return true;
    }
    return false;
}

bool IsKnownKey(const std::string& section, const std::string& key) {
    if (CProfileFile::SameName(section, SKIN_SECTION_GENERAL))
        return CProfileFile::SameName(key, SKIN_KEY_NAME);
    if (CProfileFile::SameName(section, SKIN_SECTION_IMAGES))
        return CProfileFile::SameName(key, SKIN_KEY_BACKGROUND) || IsButtonName(key);
    return IsButtonName(key);
}

std::string KnownKeys(const std::string& section) {
    if (CProfileFile::SameName(section, SKIN_SECTION_GENERAL))
        return SKIN_KEY_NAME;
    std::string keys =
        CProfileFile::SameName(section, SKIN_SECTION_IMAGES) ? SKIN_KEY_BACKGROUND : "";
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS)
        keys += (keys.empty() ? "" : ", ") + std::string(button.name);
    return keys;
}

bool IsKnownSection(const std::string& name) {
    return CProfileFile::SameName(name, SKIN_SECTION_GENERAL) ||
           CProfileFile::SameName(name, SKIN_SECTION_IMAGES) ||
           CProfileFile::SameName(name, SKIN_SECTION_POINTS);
}

std::string Size(LONG width, LONG height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& one, const RECT& other) {
    RECT common;
    return IntersectRect(&common, &one, &other) != FALSE;
}

const BYTE* PixelAt(const ScreenImage& image, int x, int y) {
    return &image.bgrx[(static_cast<size_t>(y) * image.width + x) * 4];
}

bool SamePixel(const BYTE* one, const BYTE* other, int tolerance) {
    for (int channel = 0; channel < 3; ++channel) {
        if (std::abs(one[channel] - other[channel]) > tolerance)
            return false;
    }
    return true;
}

} // namespace

CSkinFolderCheck::CSkinFolderCheck(const std::string& folderPath) : folder(folderPath) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    description = folder + SKIN_DESCRIPTION_FILE;
}

bool CSkinFolderCheck::Run(CFindings& out) {
    pending.clear();
    buttons.clear();
    if (GetFileAttributesA(description.c_str()) == INVALID_FILE_ATTRIBUTES ||
        !file.Load(description))
        return false;
    CheckLayout();
    // What the plug-in does not read at all is often why something seems missing: it
    // comes first.
    const size_t causes = pending.size();
    CheckName();
    const bool hasBackground = LoadBackground();
    for (const SkinButtonKey& button : SKIN_BUTTON_KEYS)
        CheckButton(button.name);
    CheckLoneVariants();
    if (hasBackground && !file.Find(SKIN_SECTION_IMAGES, SkinButtonKeyName(BUTTON_CANCEL)))
        Warning(SectionLine(SKIN_SECTION_IMAGES),
                "no Cancel button: only Escape closes the window");
    // Each part in the order of the file, as an author reads it; findings of the whole
    // file last.
    const auto byLine = [](const Pending& one, const Pending& other) {
        return (one.line > 0 ? one.line : INT_MAX) < (other.line > 0 ? other.line : INT_MAX);
    };
    std::stable_sort(pending.begin(), pending.begin() + causes, byLine);
    std::stable_sort(pending.begin() + causes, pending.end(), byLine);
    for (const Pending& finding : pending) {
        const std::string where =
            finding.line > 0 ? description + ":" + std::to_string(finding.line) : description;
        if (finding.error)
            out.Error(finding.text, where);
        else
            out.Warning(finding.text, where);
    }
    return true;
}

void CSkinFolderCheck::Error(int line, const std::string& text) {
    pending.push_back({line, true, text});
}

void CSkinFolderCheck::Warning(int line, const std::string& text) {
    pending.push_back({line, false, text});
}

int CSkinFolderCheck::SectionLine(const char* section) const {
    const ProfileSection* found = file.FindSection(section);
    return found ? found->line : 0;
}

// Sections and keys the plug-in reads, once each.
void CSkinFolderCheck::CheckLayout() {
    for (int line : file.StrayLines())
        Error(line, "text before the first section; the plug-in reads only [general], "
                    "[images] and [points]");
    for (const ProfileSection& section : file.Sections()) {
        const std::string shown = "[" + section.name + "]";
        if (!IsKnownSection(section.name)) {
            Error(section.line, "unknown section " + shown +
                                    "; the plug-in reads only [general], [images] and [points]");
            continue;
        }
        if (file.FindSection(section.name) != &section)
            Warning(section.line, "section " + shown +
                                      " again; keep each section once (the "
                                      "first is on line " +
                                      std::to_string(file.FindSection(section.name)->line) + ")");
        for (const ProfileEntry& entry : section.entries) {
            if (!entry.hasEquals) {
                Error(entry.line, "\"" + entry.key + "\" is not a key=value line");
            } else if (!IsKnownKey(section.name, entry.key)) {
                Error(entry.line, "unknown key " + entry.key + " in " + shown + "; the keys are " +
                                      KnownKeys(section.name));
            } else if (const ProfileEntry* first = file.Find(section.name, entry.key);
                       first != &entry && file.FindSection(section.name) == &section) {
                Warning(entry.line, entry.key + " is set again; the plug-in reads line " +
                                        std::to_string(first->line));
            }
        }
    }
}

void CSkinFolderCheck::CheckName() {
    const ProfileEntry* name = file.Find(SKIN_SECTION_GENERAL, SKIN_KEY_NAME);
    if (!name || name->value.empty()) {
        Error(name ? name->line : SectionLine(SKIN_SECTION_GENERAL),
              "no Name in [general]: the settings dialog lists only skins with a name");
    } else if (name->value.size() > SKIN_NAME_LIMIT) {
        Warning(name->line, "the name is shown cut to its first " +
                                std::to_string(SKIN_NAME_LIMIT) + " characters");
    }
}

bool CSkinFolderCheck::LoadPicture(const ProfileEntry& entry, CRasterImage& image,
                                   const std::string& failing) {
    const std::string& value = entry.value;
    if (value.size() > SKIN_VALUE_LIMIT) {
        Error(entry.line, "the file name is longer than the " + std::to_string(SKIN_VALUE_LIMIT) +
                              " characters the plug-in reads; " + failing);
        return false;
    }
    if (LeavesSkinFolder(value.c_str())) {
        Error(entry.line, value + " leaves the skin folder: pictures must lie in the folder or "
                                  "below it, so that they travel with the skin");
        return false;
    }
    const std::string path = folder + value;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Error(entry.line, value + ": no such file; " + failing);
        return false;
    }
    if (!image.LoadFromFile(path.c_str(), FormatPng) || !image.IsValid()) {
        Error(entry.line, value + ": " + PictureTrouble(path) + "; " + failing);
        return false;
    }
    CheckVariants(entry, image);
    return true;
}

void CSkinFolderCheck::CheckVariants(const ProfileEntry& entry, const CRasterImage& base) {
    for (const PictureVariant& variant : PICTURE_VARIANTS) {
        const std::string name = variant.PathFor(entry.value);
        const std::string path = folder + name;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        CRasterImage finer;
        if (!finer.LoadFromFile(path.c_str(), FormatPng) || !finer.IsValid()) {
            Error(entry.line, name + ": " + PictureTrouble(path) + "; the plug-in scales " +
                                  entry.value + " instead");
            continue;
        }
        const SIZE wanted = variant.SizeFor(base);
        if (!variant.Fits(finer, base))
            Warning(entry.line, name + " is " + Size(finer.Width(), finer.Height()) + ", not " +
                                    entry.value + "'s " + Size(base.Width(), base.Height()) +
                                    " times " + variant.scale + " (" + Size(wanted.cx, wanted.cy) +
                                    ", a pixel either way): the plug-in ignores it");
    }
}

const ProfileEntry* CSkinFolderCheck::PictureNamed(const std::string& value) const {
    const ProfileSection* images = file.FindSection(SKIN_SECTION_IMAGES);
    for (size_t i = 0; images && i < images->entries.size(); ++i) {
        if (SamePath(images->entries[i].value, value))
            return &images->entries[i];
    }
    return nullptr;
}

// Looked for in every folder that holds a described picture.
void CSkinFolderCheck::CheckLoneVariants() {
    std::vector<std::string> folders = {""};
    if (const ProfileSection* images = file.FindSection(SKIN_SECTION_IMAGES)) {
        for (const ProfileEntry& entry : images->entries) {
            const std::string inside = FolderOf(entry.value);
            if (!LeavesSkinFolder(entry.value.c_str()) &&
                std::none_of(folders.begin(), folders.end(),
                             [&](const std::string& known) { return SamePath(known, inside); }))
                folders.push_back(inside);
        }
    }
    for (const std::string& inside : folders) {
        WIN32_FIND_DATAA found = {};
        FindHandle search(FindFirstFileA((folder + inside + "*").c_str(), &found));
        if (!search)
            continue;
        do {
            const std::string name = inside + found.cFileName;
            const std::string base = PictureOfVariant(found.cFileName);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || base.empty() ||
                PictureNamed(name) ||
                GetFileAttributesA((folder + inside + base).c_str()) != INVALID_FILE_ATTRIBUTES)
                continue;
            const ProfileEntry* naming = PictureNamed(inside + base);
            Warning(naming ? naming->line : SectionLine(SKIN_SECTION_IMAGES),
                    name + " has no " + inside + base +
                        " beside it: the plug-in uses a picture for high resolutions only "
                        "beside the picture it stands for");
        } while (FindNextFileA(search.Get(), &found));
    }
}

bool CSkinFolderCheck::LoadBackground() {
    const ProfileEntry* entry = file.Find(SKIN_SECTION_IMAGES, SKIN_KEY_BACKGROUND);
    const std::string failing = "the plug-in shows its built-in skin instead";
    if (!entry || entry->value.empty()) {
        Error(entry ? entry->line : SectionLine(SKIN_SECTION_IMAGES),
              "no BackGround in [images]; " + failing);
        return false;
    }
    if (!LoadPicture(*entry, background, failing))
        return false;
    const LONG width = background.Width();
    const LONG height = background.Height();
    if (width > MAX_SCREEN_WIDTH || height > MAX_SCREEN_HEIGHT)
        Warning(entry->line, "the window is " + Size(width, height) + ", larger than a " +
                                 Size(MAX_SCREEN_WIDTH, MAX_SCREEN_HEIGHT) + " screen");
    // The window has nothing behind its background: what is see-through shows black.
    ScreenImage overBlack, overWhite;
    const auto drawOver = [this](COLORREF base) {
        return [this, base](HDC dc) {
            Brush brush(CreateSolidBrush(base));
            RECT all = {0, 0, background.Width(), background.Height()};
            FillRect(dc, &all, brush.Get());
            background.Draw(dc, 0, 0);
            return true;
        };
    };
    if (CWindowCapture::Render(width, height, drawOver(RGB(0, 0, 0)), overBlack) &&
        CWindowCapture::Render(width, height, drawOver(RGB(255, 255, 255)), overWhite) &&
        overBlack.bgrx != overWhite.bgrx)
        Warning(entry->line, "the background is partly transparent; nothing lies behind the "
                             "window, so those parts show black");
    return true;
}

void CSkinFolderCheck::CheckButton(const char* name) {
    const ProfileEntry* picture = file.Find(SKIN_SECTION_IMAGES, name);
    const ProfileEntry* point = file.Find(SKIN_SECTION_POINTS, name);
    if (!picture || picture->value.empty()) {
        if (point)
            Warning(point->line, std::string(name) +
                                     " has a point but no picture; the plug-in "
                                     "shows no " +
                                     name + " button");
        return;
    }
    auto button = std::make_unique<Button>();
    button->name = name;
    if (!LoadPicture(*picture, button->image,
                     std::string("the plug-in shows no ") + name + " button"))
        return;
    const LONG height = button->image.Height();
    if (height < SKIN_STATE_COUNT) {
        Error(picture->line, picture->value + " is " + Size(button->image.Width(), height) +
                                 ": too low to hold three states stacked");
        return;
    }
    if (height % SKIN_STATE_COUNT != 0)
        Warning(picture->line, picture->value + " is " + std::to_string(height) +
                                   " pixels high, not a multiple of 3: each state is " +
                                   std::to_string(height / SKIN_STATE_COUNT) +
                                   " high and the last " +
                                   std::to_string(height % SKIN_STATE_COUNT) + " rows never show");
    CheckPlace(*button, *picture, point);
    if (background.IsValid())
        CheckLooks(*button, *picture);
    buttons.push_back(std::move(button));
}

void CSkinFolderCheck::CheckPlace(Button& button, const ProfileEntry& picture,
                                  const ProfileEntry* point) {
    const std::string name = button.name;
    button.line = point ? point->line : picture.line;
    if (!point)
        Warning(picture.line, "no point for " + name + " in [points]: the button stands at 0,0");
    else if (point->value.find('-') != std::string::npos)
        Warning(point->line, "the minus sign is not read: numbers are read without it");
    const SkinPoint at = ParseSkinPoint(point ? point->value.c_str() : "");
    const LONG stateHeight = button.image.Height() / SKIN_STATE_COUNT;
    button.rect = {at.x, at.y, at.x + button.image.Width(), at.y + stateHeight};
    const std::string place = std::to_string(at.x) + "," + std::to_string(at.y) + " (" +
                              Size(button.image.Width(), stateHeight) + ")";
    if (!background.IsValid())
        return;
    const RECT window = {0, 0, background.Width(), background.Height()};
    if (!Inside(button.rect, window))
        Error(button.line, "the " + name + " button at " + place + " reaches outside the " +
                               Size(window.right, window.bottom) + " background");
    for (const auto& other : buttons) {
        if (Overlap(button.rect, other->rect))
            Error(button.line, "the " + name + " button at " + place + " overlaps the " +
                                   other->name + " button (line " + std::to_string(other->line) +
                                   ")");
    }
}

bool CSkinFolderCheck::Look(Button& button, int state, COLORREF base, bool overBackground,
                            ScreenImage& look) {
    const LONG width = button.image.Width();
    const LONG height = button.image.Height() / SKIN_STATE_COUNT;
    const RECT& r = button.rect;
    return CWindowCapture::Render(
        width, height,
        [&](HDC dc) {
            Brush brush(CreateSolidBrush(base));
            RECT all = {0, 0, width, height};
            FillRect(dc, &all, brush.Get());
            CRasterImage under, band;
            if (overBackground && background.Crop(r.left, r.top, r.right, r.bottom, &under))
                under.Draw(dc, 0, 0);
            if (state != NO_STATE &&
                button.image.Crop(0, state * height, width, (state + 1) * height, &band))
                band.Draw(dc, 0, 0);
            return true;
        },
        look);
}

void CSkinFolderCheck::CheckLooks(Button& button, const ProfileEntry& picture) {
    if (!Inside(button.rect, {0, 0, background.Width(), background.Height()}))
        return;
    ScreenImage looks[SKIN_STATE_COUNT];
    for (int state = 0; state < SKIN_STATE_COUNT; ++state) {
        if (!Look(button, state, RGB(0, 0, 0), true, looks[state]))
            return;
    }
    struct Pair {
        int one;
        int other;
        const char* consequence;
    };
    static constexpr Pair PAIRS[] = {
        {SKIN_STATE_NORMAL, SKIN_STATE_HOT,
         "normal and hot pictures look alike: the button does not change under "
         "the pointer or with the keyboard focus"},
        {SKIN_STATE_NORMAL, SKIN_STATE_PRESSED,
         "normal and pressed pictures look alike: a press does not show"},
        {SKIN_STATE_PRESSED, SKIN_STATE_HOT,
         "pressed and hot pictures look alike: pressing the button under the "
         "pointer does not show"},
    };
    for (const Pair& pair : PAIRS) {
        if (LookAlike(looks[pair.one], looks[pair.other]))
            Warning(picture.line, std::string(button.name) + ": its " + pair.consequence);
    }
    CheckCorners(button, picture, looks[SKIN_STATE_NORMAL]);
}

// An opaque picture whose corners are one flat colour that is not the background's was
// most likely meant to let the background show there.
void CSkinFolderCheck::CheckCorners(Button& button, const ProfileEntry& picture,
                                    const ScreenImage& normal) {
    constexpr int CORNER = 3;
    ScreenImage overWhite, beneath;
    if (normal.width < 2 * CORNER || normal.height < 2 * CORNER ||
        !Look(button, SKIN_STATE_NORMAL, RGB(255, 255, 255), false, overWhite) ||
        !Look(button, NO_STATE, RGB(0, 0, 0), true, beneath))
        return;
    ScreenImage overBlack;
    if (!Look(button, SKIN_STATE_NORMAL, RGB(0, 0, 0), false, overBlack) ||
        overBlack.bgrx != overWhite.bgrx)
        return; // not opaque
    const BYTE* matte = PixelAt(normal, 0, 0);
    bool hidesBackground = false;
    for (int cornerX : {0, normal.width - CORNER}) {
        for (int cornerY : {0, normal.height - CORNER}) {
            for (int dy = 0; dy < CORNER; ++dy) {
                for (int dx = 0; dx < CORNER; ++dx) {
                    if (!SamePixel(PixelAt(normal, cornerX + dx, cornerY + dy), matte, 2))
                        return;
                }
            }
            hidesBackground |=
                !SamePixel(matte, PixelAt(beneath, cornerX, cornerY), CORNER_DIFFERENCE);
        }
    }
    if (hidesBackground)
        Warning(picture.line,
                std::string(button.name) +
                    ": the picture is opaque and its corners are one "
                    "flat colour (" +
                    std::to_string(matte[2]) + "," + std::to_string(matte[1]) + "," +
                    std::to_string(matte[0]) +
                    ") that hides the background; save it with transparent corners (an alpha "
                    "channel) to let the background show");
}
