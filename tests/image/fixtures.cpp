#include "fixtures.h"

#include "image/memorystream.h"
#include "image/rasterimage.h"

#include <png.h>

#include <algorithm>
#include <iterator>

bool DecodeBytes(CRasterImage& image, const Bytes& bytes, DWORD formatId) {
    MemoryStream stream(bytes.data(), static_cast<LONG>(bytes.size()));
    return image.Decode(stream, formatId);
}

ByteWriter& ByteWriter::U8(unsigned value) {
    bytes.push_back(static_cast<BYTE>(value));
    return *this;
}

ByteWriter& ByteWriter::U16(unsigned value) {
    return U8(value & 0xFF).U8(value >> 8 & 0xFF);
}

ByteWriter& ByteWriter::U32(uint32_t value) {
    return U16(value & 0xFFFF).U16(value >> 16);
}

ByteWriter& ByteWriter::Append(const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

int ChannelCount(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

uint16_t PngPicture::Sample(int x, int y, int channel) const {
    return samples[(static_cast<size_t>(y) * width + x) * ChannelCount(colorType) + channel];
}

PngPicture PatternPng(int colorType, int bitDepth, bool interlaced) {
    PngPicture picture;
    picture.width = 9;
    picture.height = 7;
    picture.colorType = colorType;
    picture.bitDepth = bitDepth;
    picture.interlaced = interlaced;
    const int channels = ChannelCount(colorType);
    const uint32_t levels = 1u << bitDepth;
    uint32_t PALETTE_SIZE = 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        PALETTE_SIZE = std::min(levels, 200u);
        for (uint32_t i = 0; i < PALETTE_SIZE; ++i) {
            ByteWriter entry;
            entry.U8(i * 37 + 11).U8(255 - i * 23).U8(i * 91 + 5);
            picture.palette.insert(picture.palette.end(), entry.bytes.begin(), entry.bytes.end());
        }
    }
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const uint32_t hash = (x * 73u + y * 151u + c * 41u + 7u) * 2654435761u;
                uint32_t value = (hash >> 11) % levels;
                if (PALETTE_SIZE)
                    value %= PALETTE_SIZE;
                picture.samples.push_back(static_cast<uint16_t>(value));
            }
        }
    }
    return picture;
}

void KeyOnPixel(PngPicture& picture, int x, int y) {
    picture.hasKey = true;
    for (int c = 0; c < ChannelCount(picture.colorType); ++c)
        picture.key[c] = picture.Sample(x, y, c);
}

PngPicture Rgba8Twin(const PngPicture& picture) {
    PngPicture twin;
    twin.width = picture.width;
    twin.height = picture.height;
    twin.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    const int channels = ChannelCount(picture.colorType);
    const uint32_t max = (1u << picture.bitDepth) - 1;
    const auto to8 = [&](uint32_t sample) {
        return picture.bitDepth == 16 ? sample >> 8 : sample * 255 / max;
    };
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t rgba[4] = {0, 0, 0, 255};
            if (picture.colorType == PNG_COLOR_TYPE_PALETTE) {
                const size_t index = picture.Sample(x, y, 0);
                for (int c = 0; c < 3; ++c)
                    rgba[c] = picture.palette[3 * index + c];
                if (index < picture.paletteAlpha.size())
                    rgba[3] = picture.paletteAlpha[index];
            } else {
                const bool colour = (picture.colorType & PNG_COLOR_MASK_COLOR) != 0;
                bool keyed = picture.hasKey;
                for (int c = 0; c < 3; ++c) {
                    const int channel = colour ? c : 0;
                    rgba[c] = to8(picture.Sample(x, y, channel));
                    keyed = keyed && picture.Sample(x, y, channel) == picture.key[channel];
                }
                if (picture.colorType & PNG_COLOR_MASK_ALPHA)
                    rgba[3] = to8(picture.Sample(x, y, channels - 1));
                if (keyed)
                    rgba[3] = 0;
            }
            twin.samples.insert(twin.samples.end(), std::begin(rgba), std::end(rgba));
        }
    }
    return twin;
}

namespace {

void AppendToBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

void IgnoreWarning(png_structp, png_const_charp) {}

struct PngChunks {
    std::vector<png_color> palette;
    png_color_16 key = {};
    png_color_16 background = {};
};

// Nothing with a destructor may live in this frame: libpng leaves it by longjmp.
bool WriteWithLibpng(png_structp png, png_infop info, const PngPicture& picture,
                     const PngChunks& chunks, png_bytepp rows, Bytes* out) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_error_fn(png, nullptr, nullptr, IgnoreWarning);
    png_set_write_fn(png, out, AppendToBytes, FlushNothing);
    png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!chunks.palette.empty())
        png_set_PLTE(png, info, chunks.palette.data(), static_cast<int>(chunks.palette.size()));
    if (!picture.paletteAlpha.empty())
        png_set_tRNS(png, info, picture.paletteAlpha.data(),
                     static_cast<int>(picture.paletteAlpha.size()), nullptr);
    if (picture.hasKey)
        png_set_tRNS(png, info, nullptr, 1, &chunks.key);
    if (picture.hasBackground)
        png_set_bKGD(png, info, &chunks.background);
    if (picture.hasPhys)
        png_set_pHYs(png, info, picture.physX, picture.physY, picture.physUnit);
    png_write_info(png, info);
    if (picture.bitDepth < 8)
        png_set_packing(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

} // namespace

Bytes WritePng(const PngPicture& picture) {
    const int channels = ChannelCount(picture.colorType);
    const size_t samplesPerRow = static_cast<size_t>(picture.width) * channels;
    std::vector<Bytes> rowBytes(picture.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y) {
        for (size_t i = 0; i < samplesPerRow; ++i) {
            const uint16_t sample = picture.samples[y * samplesPerRow + i];
            if (picture.bitDepth == 16)
                rowBytes[y].push_back(static_cast<BYTE>(sample >> 8));
            rowBytes[y].push_back(static_cast<BYTE>(sample));
        }
        rows.push_back(rowBytes[y].data());
    }

    PngChunks chunks;
    for (size_t i = 0; i + 2 < picture.palette.size(); i += 3)
        chunks.palette.push_back(
            png_color{picture.palette[i], picture.palette[i + 1], picture.palette[i + 2]});
    chunks.key = png_color_16{0, picture.key[0], picture.key[1], picture.key[2], picture.key[0]};
    chunks.background = png_color_16{0, picture.background[0], picture.background[1],
                                     picture.background[2], picture.background[0]};

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    const bool written = WriteWithLibpng(png, info, picture, chunks, rows.data(), &out);
    png_destroy_write_struct(&png, &info);
    return written ? out : Bytes();
}

Bytes InfoHeader(LONG width, LONG height, WORD bitCount, DWORD compression, DWORD colorsUsed,
                 DWORD imageSize) {
    ByteWriter header;
    header.U32(40).U32(static_cast<uint32_t>(width)).U32(static_cast<uint32_t>(height));
    header.U16(1).U16(bitCount).U32(compression).U32(imageSize).U32(3780).U32(3780);
    header.U32(colorsUsed).U32(0);
    return header.bytes;
}

Bytes BmpFile(const Bytes& headerAndPalette, const Bytes& pixels) {
    const uint32_t offset = static_cast<uint32_t>(14 + headerAndPalette.size());
    ByteWriter file;
    file.U8('B').U8('M').U32(offset + static_cast<uint32_t>(pixels.size())).U16(0).U16(0);
    file.U32(offset).Append(headerAndPalette).Append(pixels);
    return file.bytes;
}

Bytes IconFile(const IconPicture& picture) {
    const Bytes header = InfoHeader(picture.width, 2 * picture.height, picture.bitCount);
    const uint32_t imageBytes = static_cast<uint32_t>(header.size() + picture.palette.size() +
                                                      picture.pixels.size() + picture.mask.size());
    ByteWriter file;
    file.U16(0).U16(1).U16(1);
    file.U8(picture.width).U8(picture.height).U8(0).U8(0).U16(1).U16(picture.bitCount);
    file.U32(imageBytes).U32(6 + 16);
    file.Append(header).Append(picture.palette).Append(picture.pixels).Append(picture.mask);
    return file.bytes;
}

IconPicture FullyMaskedIcon() {
    IconPicture icon;
    icon.width = 4;
    icon.height = 2;
    icon.bitCount = 4;
    ByteWriter palette;
    for (unsigned i = 0; i < 16; ++i)
        palette.U8(i * 16).U8(255 - i * 16).U8(i * 8).U8(0);
    icon.palette = palette.bytes;
    icon.pixels = {0x01, 0x23, 0, 0, 0x45, 0x67, 0, 0};
    icon.mask = Bytes(8, 0xFF);
    return icon;
}

IconPicture MaskedIcon8() {
    IconPicture icon;
    icon.width = 4;
    icon.height = 2;
    icon.bitCount = 8;
    ByteWriter palette;
    for (unsigned i = 0; i < 256; ++i)
        palette.U8(i).U8(2 * i).U8(3 * i).U8(0);
    icon.palette = palette.bytes;
    icon.pixels = {0, 1, 2, 1, 2, 2, 1, 0};
    icon.mask = {0x80, 0, 0, 0, 0x10, 0, 0, 0};
    return icon;
}

IconPicture AlphaIcon32() {
    IconPicture icon;
    icon.width = 3;
    icon.height = 2;
    icon.bitCount = 32;
    ByteWriter pixels;
    for (unsigned y = 0; y < 2; ++y) {
        for (unsigned x = 0; x < 3; ++x)
            pixels.U8(10 * x).U8(20 * y).U8(99).U8(40 * (x + 3 * y) + 5);
    }
    icon.pixels = pixels.bytes;
    icon.mask = {0x40, 0, 0, 0, 0, 0, 0, 0};
    return icon;
}

Bytes BareDib8() {
    ByteWriter dib;
    dib.Append(InfoHeader(3, 2, 8, 0, 6));
    for (unsigned i = 0; i < 6; ++i)
        dib.U8(50 * i).U8(50 * i).U8(50 * i).U8(7);
    dib.U8(0).U8(1).U8(2).U8(0).U8(3).U8(4).U8(5).U8(0);
    return dib.bytes;
}

Bytes CoreBitmap8() {
    ByteWriter header;
    header.U32(12).U16(2).U16(2).U16(1).U16(8);
    for (unsigned i = 0; i < 256; ++i)
        header.U8(i).U8(255 - i).U8(i / 2);
    return BmpFile(header.bytes, {0, 1, 0, 0, 2, 3, 0, 0});
}

Bytes TopDownBitmap24() {
    ByteWriter pixels;
    pixels.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U16(0);
    pixels.U8(255).U8(0).U8(0).U8(255).U8(255).U8(255).U16(0);
    return BmpFile(InfoHeader(2, -2, 24), pixels.bytes);
}

Bytes Bitmap16(bool masks565) {
    ByteWriter header;
    header.Append(InfoHeader(2, 1, 16, masks565 ? 3 : 0));
    if (masks565)
        header.U32(0xF800).U32(0x07E0).U32(0x001F);
    ByteWriter pixels;
    pixels.U16(0x7FFF).U16(0x001F);
    return BmpFile(header.bytes, pixels.bytes);
}

Bytes Bitmap32() {
    ByteWriter pixels;
    for (unsigned y = 0; y < 2; ++y) {
        for (unsigned x = 0; x < 3; ++x)
            pixels.U8(x).U8(y).U8(9).U8(0xEE);
    }
    return BmpFile(InfoHeader(3, 2, 32), pixels.bytes);
}

Bytes Rle8Bitmap() {
    ByteWriter header;
    header.Append(InfoHeader(4, 3, 8, 1, 10));
    for (unsigned i = 0; i < 10; ++i)
        header.U8(i).U8(i).U8(i).U8(0);
    const Bytes rle = {0, 0, 3, 5, 0, 0, 0, 2, 1, 0, 0, 3, 7, 8, 9, 0};
    return BmpFile(header.bytes, rle);
}

Bytes Rle4Bitmap() {
    ByteWriter header;
    header.Append(InfoHeader(5, 1, 4, 2, 16));
    for (unsigned i = 0; i < 16; ++i)
        header.U8(i).U8(i).U8(i).U8(0);
    return BmpFile(header.bytes, {3, 0x12, 2, 0x34, 0, 1});
}

std::vector<NamedFixture> AllFixtures() {
    std::vector<NamedFixture> fixtures;
    const struct {
        int colorType;
        const char* name;
        std::vector<int> depths;
    } kinds[] = {{PNG_COLOR_TYPE_GRAY, "gray", {1, 2, 4, 8, 16}},
                 {PNG_COLOR_TYPE_PALETTE, "palette", {1, 2, 4, 8}},
                 {PNG_COLOR_TYPE_RGB, "rgb", {8, 16}},
                 {PNG_COLOR_TYPE_GRAY_ALPHA, "grayalpha", {8, 16}},
                 {PNG_COLOR_TYPE_RGB_ALPHA, "rgba", {8, 16}}};
    for (const auto& kind : kinds) {
        for (int depth : kind.depths) {
            for (bool interlaced : {false, true}) {
                const std::string name = std::string("png-") + kind.name + std::to_string(depth) +
                                         (interlaced ? "-interlaced" : "");
                fixtures.push_back({name, WritePng(PatternPng(kind.colorType, depth, interlaced))});
            }
        }
    }
    PngPicture keyed = PatternPng(PNG_COLOR_TYPE_PALETTE, 8, false);
    keyed.paletteAlpha = {0};
    fixtures.push_back({"png-palette-one-alpha", WritePng(keyed)});
    keyed.paletteAlpha = {0, 128, 255};
    fixtures.push_back({"png-palette-three-alpha", WritePng(keyed)});
    PngPicture dense = PatternPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, false);
    dense.hasPhys = true;
    dense.physX = dense.physY = 11811;
    dense.physUnit = 1;
    dense.hasBackground = true;
    dense.background[0] = 0x12;
    fixtures.push_back({"png-rgba-phys-background", WritePng(dense)});
    PngPicture keyedRgb = PatternPng(PNG_COLOR_TYPE_RGB, 16, false);
    KeyOnPixel(keyedRgb, 1, 1);
    fixtures.push_back({"png-rgb-key", WritePng(keyedRgb)});
    PngPicture keyedGrey = PatternPng(PNG_COLOR_TYPE_GRAY, 2, true);
    KeyOnPixel(keyedGrey, 1, 1);
    fixtures.push_back({"png-gray2-key-interlaced", WritePng(keyedGrey)});
    Bytes truncated = WritePng(PatternPng(PNG_COLOR_TYPE_PALETTE, 4, true));
    truncated.resize(truncated.size() / 2);
    fixtures.push_back({"png-truncated", truncated});

    fixtures.push_back({"bmp-bare-8", BareDib8()});
    fixtures.push_back({"bmp-core-8", CoreBitmap8()});
    fixtures.push_back({"bmp-topdown-24", TopDownBitmap24()});
    fixtures.push_back({"bmp-555", Bitmap16(false)});
    fixtures.push_back({"bmp-565", Bitmap16(true)});
    fixtures.push_back({"bmp-32", Bitmap32()});
    fixtures.push_back({"bmp-rle8", Rle8Bitmap()});
    fixtures.push_back({"bmp-rle4", Rle4Bitmap()});
    fixtures.push_back({"ico-fully-masked", IconFile(FullyMaskedIcon())});
    fixtures.push_back({"ico-masked-8", IconFile(MaskedIcon8())});
    fixtures.push_back({"ico-alpha-32", IconFile(AlphaIcon32())});
    return fixtures;
}
