// Decodes one entry of an icon or cursor file; its AND mask becomes an alpha plane or
// a transparent palette index or colour.
#pragma once

#include "image/rasterimage.h"

#include <vector>

class IcoCodec : public CRasterImage {
public:
    IcoCodec() : CRasterImage(FormatIco) {}

    bool DecodeFrom(ImageStream& stream);

private:
    bool ReadEntryImage(ImageStream& stream, const BYTE* entry, LONG start, WORD& bitCount);
    void ReadPixels(ImageStream& stream, WORD bitCount);
    void ApplyMask(const std::vector<BYTE>& mask, WORD bitCount);
    bool IsMasked(const std::vector<BYTE>& mask, LONG x, LONG y) const;
    void KeyMaskedColor(const std::vector<BYTE>& mask);
    void KeyMaskedIndex(const std::vector<BYTE>& mask);
};
