#include "skintestsupport.h"

#include <png.h>

#include <fstream>

namespace {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

PngPicture RgbPicture(int width, int height, bool withAlpha) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    picture.bitDepth = 8;
    return picture;
}

void AddPixel(PngPicture& picture, COLORREF colour, int alpha) {
    picture.samples.push_back(GetRValue(colour));
    picture.samples.push_back(GetGValue(colour));
    picture.samples.push_back(GetBValue(colour));
    if (picture.colorType == PNG_COLOR_TYPE_RGB_ALPHA)
        picture.samples.push_back(static_cast<uint16_t>(alpha));
}

} // namespace

TestSkinFolder::TestSkinFolder(const std::string& name) : name(name) {
    std::string skins = ProgramFolder() + "skins\\";
    CreateDirectoryA(skins.c_str(), nullptr);
    folder = skins + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
}

TestSkinFolder::~TestSkinFolder() {
    for (const std::string& file : files)
        DeleteFileA((folder + file).c_str());
    RemoveDirectoryA(folder.c_str());
}

void TestSkinFolder::Write(const std::string& file, const Bytes& bytes) {
    std::ofstream out(folder + file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    files.push_back(file);
}

void TestSkinFolder::WriteText(const std::string& file, const std::string& text) {
    Write(file, Bytes(text.begin(), text.end()));
}

Bytes SolidPng(int width, int height, COLORREF colour, int alpha) {
    PngPicture picture = RgbPicture(width, height, alpha < 255);
    for (int i = 0; i < width * height; ++i)
        AddPixel(picture, colour, alpha);
    return WritePng(picture);
}

Bytes BandedPng(int width, int bandHeight, const std::vector<COLORREF>& colours) {
    PngPicture picture = RgbPicture(width, bandHeight * static_cast<int>(colours.size()), false);
    for (COLORREF colour : colours) {
        for (int i = 0; i < width * bandHeight; ++i)
            AddPixel(picture, colour, 255);
    }
    return WritePng(picture);
}

Canvas::Canvas(int width, int height, COLORREF fill) : width(width) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<DWORD*>(pixels);
    previous = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

Canvas::~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

COLORREF Canvas::At(int x, int y) const {
    GdiFlush();
    DWORD pixel = bits[y * width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}
