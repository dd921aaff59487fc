// skinpreview: renders a skin the way the settings dialog previews it, or as a contact
// sheet of every button in every state beside the whole window, into a PNG file, so
// that skin authors can check their work without opening the exit window.
//   skinpreview.exe [--states] <skin name, e.g. Glass\quiescorskin.ini, or ""> <png>
#include "core/owners.h"
#include "dock/contactsheet.h"
#include "exitwnd/skin.h"
#include "host/pngwriter.h"

#include <cstdio>
#include <cstring>

namespace {

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

bool RenderPreview(CSkin& skin, ScreenImage& image) {
    CRasterImage preview;
    {
        WindowDC screen(nullptr);
        if (!RenderSkinPreview(skin, screen.Get(), GetModuleHandleA(nullptr), preview))
            return false;
    }
    image = ToScreenImage(preview);
    return true;
}

bool RenderSheet(CSkin& skin, ScreenImage& image) {
    CContactSheet sheet;
    if (!sheet.Render(skin, GetModuleHandleA(nullptr)))
        return false;
    image = sheet.Image();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool states = argc == 4 && std::strcmp(argv[1], "--states") == 0;
    if (argc != 3 && !states) {
        std::fprintf(stderr, "usage: skinpreview [--states] <skin name> <png file>\n");
        return 2;
    }
    const char* name = argv[argc - 2];
    const char* png = argv[argc - 1];
    CSkin skin;
    skin.Load(name);
    if (name[0] && skin.IsDefault())
        std::fprintf(stderr, "skinpreview: %s did not load; showing the built-in skin\n", name);
    ScreenImage image;
    const bool rendered = states ? RenderSheet(skin, image) : RenderPreview(skin, image);
    if (!rendered || !CPngWriter::Write(png, image)) {
        std::fprintf(stderr, "skinpreview: cannot write %s\n", png);
        return 1;
    }
    return 0;
}
