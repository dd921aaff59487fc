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
