// Dialog templates as they are stored in a module's resources, standard or extended,
// read into plain fields so that two of them can be compared and measured, and so that
// the plug-in uses no template whose bytes do not hold it whole. Free of Win32: the
// bytes come from a file a translator made, and every read is checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DialogControl {
    uint32_t id = 0;       // a standard template's 16-bit identifier is widened as Windows does
    std::string className; // upper case; the predefined classes by name ("BUTTON")
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    std::u16string text;              // empty when the title is a resource number
};

struct DialogTemplate {
    bool extended = false;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption;
    // Only with DS_SETFONT (or DS_SHELLFONT): the font in points, weight and italic.
    bool hasFont = false;
    int pointSize = 0;
    int weight = 0;
    bool italic = false;
    std::u16string face;
    std::vector<DialogControl> controls;
};

// False when the bytes do not hold a whole template.
bool ReadDialogTemplate(const uint8_t* data, size_t size, DialogTemplate& dialog);

// UTF-16 as UTF-8, for messages.
std::string Utf8(const std::u16string& text);
