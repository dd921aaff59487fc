// What the skin tests share: skin folders made on the spot below the program's own
// skins folder, and pictures to put in them.
#pragma once

#include "fixtures.h"

#include <windows.h>

#include <string>
#include <vector>

// A skin folder below <program folder>\skins\, removed again with its files.
class TestSkinFolder {
public:
    explicit TestSkinFolder(const std::string& name);
    ~TestSkinFolder();
    TestSkinFolder(const TestSkinFolder&) = delete;
    TestSkinFolder& operator=(const TestSkinFolder&) = delete;

    void Write(const std::string& file, const Bytes& bytes);
    void WriteText(const std::string& file, const std::string& text);
    // The skin name that loads this folder's description.
    std::string SkinName() const { return name + "\\quiescorskin.ini"; }

private:
    std::string name;
    std::string folder;
    std::vector<std::string> files;
};

// A PNG of one colour; with alpha below 255 it is written as RGBA.
Bytes SolidPng(int width, int height, COLORREF colour, int alpha = 255);
// A PNG whose rows are bands of the given colours, each `bandHeight` rows high.
Bytes BandedPng(int width, int bandHeight, const std::vector<COLORREF>& colours);
