// Reads a PNG file back as 8-bit RGB pixels, to check what the dock wrote.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<BYTE> rgb;

    const BYTE* Pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

bool ReadPng(const std::string& path, RgbImage& image);

// Pixels of the button icon's red tile, and of the white power symbol on it.
int CountRedTile(const RgbImage& image);
int CountWhite(const RgbImage& image);
