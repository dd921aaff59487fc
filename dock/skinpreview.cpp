// skinpreview: renders a skin the way the settings dialog previews it, or as a contact
// sheet of every button in every state beside the whole window, into a PNG file, so
// that skin authors can check their work without opening the exit window.
#include "base/owners.h"
#include "dock/contactsheet.h"
#include "exitwnd/skin.h"
#include "exitwnd/skinformat.h"
#include "host/pngwriter.h"
#include "host/skinrefusal.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char USAGE[] =
    "usage: skinpreview [--states] [--dpi <dots per inch>] <skin folder> <png file>\n"
    "\n"
    "Writes the skin in the folder (the one holding quiescorskin.ini, as skincheck takes\n"
    "it; \"\" for the built-in skin) as the settings dialog previews it, or with --states\n"
    "every button in every state beside the whole window. --dpi 144 or 192 shows it as a\n"
    "screen of that resolution does, with the skin's @1.5x or @2x pictures.\n"
    "Exit status: 0 written, 1 the skin does not load or the file cannot be written,\n"
    "2 a wrong command line or no quiescorskin.ini in the folder.\n";
constexpr int MIN_DPI = 72;
constexpr int MAX_DPI = 480;

struct Options {
    bool states = false;
    SkinFit fit;
    std::string folder;
    std::string png;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string> plain;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--states") == 0) {
            options.states = true;
        } else if (std::strcmp(argv[i], "--dpi") == 0 && i + 1 < argc) {
            options.fit.dpi = std::atoi(argv[++i]);
            if (options.fit.dpi < MIN_DPI || options.fit.dpi > MAX_DPI)
                return false;
        } else {
            plain.push_back(argv[i]);
        }
    }
    if (plain.size() != 2)
        return false;
    options.folder = plain[0];
    options.png = plain[1];
    return true;
}

// The skin's name as the plug-in takes it: its description's path relative to the skins
// folder beside this program. False when the folder cannot be named from there.
bool SkinNameOf(std::string folder, std::string& description, std::string& name) {
    std::replace(folder.begin(), folder.end(), '/', '\\');
    const size_t file = sizeof SKIN_DESCRIPTION_FILE - 1;
    if (folder.size() >= file &&
        _stricmp(folder.c_str() + folder.size() - file, SKIN_DESCRIPTION_FILE) == 0)
        folder.erase(folder.size() - file);
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH - file - 1 || !PathAddBackslashA(full))
        return false;
    description = std::string(full) + SKIN_DESCRIPTION_FILE;
    char skins[MAX_PATH];
    CSkin::MakeSkinPath("", skins);
    char relative[MAX_PATH] = {};
    if (!skins[0] || !PathRelativePathToA(relative, skins, FILE_ATTRIBUTE_DIRECTORY, full,
                                          FILE_ATTRIBUTE_DIRECTORY))
        return false;
    name = relative;
    if (name.rfind(".\\", 0) == 0)
        name.erase(0, 2);
    if (!name.empty() && name.back() != '\\')
        name += '\\';
    name += SKIN_DESCRIPTION_FILE;
    return true;
}

ScreenImage ToScreenImage(CRasterImage& preview) {
    ScreenImage image;
    image.width = preview.Width();
    image.height = preview.Height();
    image.bgrx.reserve(static_cast<size_t>(image.width) * image.height * 4);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            RGBQUAD colour = preview.PixelColor(x, y, false);
            image.bgrx.insert(image.bgrx.end(),
                              {colour.rgbBlue, colour.rgbGreen, colour.rgbRed, 0});
        }
    }
    return image;
}

bool RenderPreview(CSkin& skin, const SkinFit& fit, ScreenImage& image) {
    CRasterImage preview;
    {
        WindowDC screen(nullptr);
        if (!RenderSkinPreview(skin, screen.Get(), GetModuleHandleA(nullptr), preview, fit))
            return false;
    }
    image = ToScreenImage(preview);
    return true;
}

bool RenderSheet(CSkin& skin, const SkinFit& fit, ScreenImage& image) {
    CContactSheet sheet;
    if (!sheet.Render(skin, GetModuleHandleA(nullptr), fit))
        return false;
    image = sheet.Image();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    CSkin skin;
    if (!options.folder.empty()) {
        std::string description;
        std::string name;
        if (!SkinNameOf(options.folder, description, name)) {
            std::fprintf(stderr, "skinpreview: cannot name %s from the skins folder\n",
                         options.folder.c_str());
            return 2;
        }
        if (GetFileAttributesA(description.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::fprintf(stderr, "skinpreview: cannot read %s\n", description.c_str());
            return 2;
        }
        skin.Load(name.c_str());
        if (skin.IsDefault()) {
            std::string why = SkinRefusal(description);
            if (why.empty())
                why = "its path is longer than the plug-in reads";
            std::fprintf(stderr,
                         "skinpreview: %s does not load (%s); the plug-in shows its "
                         "built-in skin instead\n",
                         description.c_str(), why.c_str());
            return 1;
        }
    }
    ScreenImage image;
    const bool rendered = options.states ? RenderSheet(skin, options.fit, image)
                                         : RenderPreview(skin, options.fit, image);
    if (!rendered || !CPngWriter::Write(options.png, image)) {
        std::fprintf(stderr, "skinpreview: cannot write %s\n", options.png.c_str());
        return 1;
    }
    return 0;
}
