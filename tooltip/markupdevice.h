// What the markup layout asks of the system it runs on: fonts, text extents, drawing,
// pictures and character classes. Text is UTF-16 and counted in its units. The tooltip gives it
// GDI; the layout itself stays free of Win32, so that it can also run natively under a measuring
// stub.
#pragma once

#include "image/imagetypes.h"

#include <cstdint>
#include <string>

#ifndef _WIN32
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct SIZE {
    LONG cx;
    LONG cy;
};
#endif

// Requested picture sizes above this are cut down: a tooltip has no use for larger ones.
constexpr int MAX_PICTURE_SIZE = 1024;

// The attributes the tags switch; everything else comes from the base font.
struct MarkupFontStyle {
    LONG weight;
    BYTE italic;
    BYTE underline;
    BYTE strikeOut;
};

enum class MarkupPictureKind { Named, ImageList, Icon, Bitmap };

// A picture tag as read: what to show and at which requested size.
struct MarkupPicture {
    MarkupPictureKind kind;
    std::u16string name; // Named
    uint32_t id = 0;     // the image-list index or the resource identifier
    int cx = 0;
    int cy = 0;
    bool masked = false;
    COLORREF mask = 0;
};

// Where a picture goes: the pen position, the top of its line and the line's height
// (0 while measuring, when nothing is drawn).
struct MarkupSpot {
    int x;
    int y;
    int lineHeight;
    bool measureOnly;
};

class MarkupDevice {
public:
    virtual ~MarkupDevice() = default;

    // The base font with these attributes; when it cannot be made, the font the device
    // had before the pass is used.
    virtual void SelectFont(const MarkupFontStyle& style) = 0;
    // The selected font's character height, 0 when unknown.
    virtual int FontHeight() const = 0;
    // How many of the first `count` units fit in `maxExtent`, with the extent after
    // each (`extents` has room for at least count entries) and the size of all of them.
    virtual bool FitText(const char16_t* text, int count, int maxExtent, int& fit, int* extents,
                         SIZE& size) const = 0;
    virtual bool TextSize(const char16_t* text, int count, SIZE& size) const = 0;
    virtual void DrawRun(int x, int y, const char16_t* text, int count) = 0;
    virtual void SetTextColor(COLORREF color) = 0;
    virtual void SetBackground(COLORREF color, bool opaque) = 0;
    // A one-pixel line in the text colour from x to the pixel before `end`.
    virtual void DrawRule(int x, int end, int y) = 0;
    // The room the picture takes; it is drawn only when the spot is not measuring.
    virtual SIZE Picture(const MarkupPicture& picture, const MarkupSpot& spot) = 0;

    // Classes of a code point, whole even when it takes a surrogate pair.
    virtual bool IsSpace(char32_t code) const = 0;
    virtual bool IsPunctuation(char32_t code) const = 0;
};
