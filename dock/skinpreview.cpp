// skinpreview: renders a skin the way the settings dialog previews it, into a PNG file,
// so that skin authors can check their work without opening the exit window.
//   skinpreview.exe <skin name, e.g. Glass\quiescorskin.ini, or "" for the built-in> <png>
#include "dock/pngwriter.h"
#include "exitwnd/skin.h"

#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skinpreview <skin name> <png file>\n");
        return 2;
    }
    CSkin skin;
    skin.Load(argv[1]);
    if (argv[1][0] && skin.IsDefault())
        std::fprintf(stderr, "skinpreview: %s did not load; showing the built-in skin\n", argv[1]);
    HDC screen = GetDC(nullptr);
    CRasterImage preview;
    bool rendered = RenderSkinPreview(skin, screen, GetModuleHandleA(nullptr), preview);
    ReleaseDC(nullptr, screen);
    if (!rendered || !CPngWriter::Write(argv[2], ToScreenImage(preview))) {
        std::fprintf(stderr, "skinpreview: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
