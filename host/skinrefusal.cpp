#include "host/skinrefusal.h"

#include "exitwnd/skinformat.h"
#include "image/rasterimage.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

namespace {

constexpr unsigned char PNG_SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t SIGNATURE_SIZE = sizeof PNG_SIGNATURE;
constexpr size_t CHUNK_HEADER = 8; // length and type
constexpr size_t CHUNK_CRC = 4;
constexpr size_t IHDR_SIZE = 13;
constexpr int COLOUR_MASK = 2;
constexpr int ALPHA_MASK = 4;
constexpr uint64_t MEGABYTE = 1 << 20;

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int depth = 0; // bits per pixel of the decoded picture, without its alpha plane
};

uint32_t BigEndian(const unsigned char* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

bool Read(std::ifstream& file, unsigned char* data, size_t size) {
    return file.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(size)) &&
           static_cast<size_t>(file.gcount()) == size;
}

// The picture's size and the depth the image library decodes it to: colour, or grey
// with a transparent colour, takes 24 bits; a palette or plain grey at most 8.
bool ReadPngHeader(const std::string& path, PngHeader& header) {
    std::ifstream file(path, std::ios::binary);
    unsigned char start[SIGNATURE_SIZE + CHUNK_HEADER + IHDR_SIZE + CHUNK_CRC];
    if (!Read(file, start, sizeof start) ||
        !std::equal(PNG_SIGNATURE, PNG_SIGNATURE + SIGNATURE_SIZE, start) ||
        std::string(reinterpret_cast<const char*>(start) + 12, 4) != "IHDR")
        return false;
    const unsigned char* ihdr = start + SIGNATURE_SIZE + CHUNK_HEADER;
    header.width = BigEndian(ihdr);
    header.height = BigEndian(ihdr + 4);
    const int bitDepth = ihdr[8];
    const int colourType = ihdr[9];
    header.depth = colourType & (COLOUR_MASK | ALPHA_MASK) ? 24 : std::min(bitDepth, 8);
    // A transparent colour comes before the pixel data.
    unsigned char chunk[CHUNK_HEADER];
    while (header.depth < 24 && Read(file, chunk, sizeof chunk)) {
        const std::string type(reinterpret_cast<const char*>(chunk) + 4, 4);
        if (type == "IDAT")
            break;
        if (type == "tRNS" && colourType == 0)
            header.depth = 24;
        file.seekg(static_cast<std::streamoff>(BigEndian(chunk)) + CHUNK_CRC, std::ios::cur);
    }
    return true;
}

std::string Size(uint32_t width, uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// Why the library holds no picture of this size, or empty when it would.
std::string TooLarge(const PngHeader& header) {
    const uint32_t side = static_cast<uint32_t>(CRasterImage::MAX_SIDE);
    if (header.width > side || header.height > side)
        return Size(header.width, header.height) + ", more than the " + std::to_string(side) +
               " pixels a side the plug-in reads";
    const uint64_t stride = (uint64_t{header.width} * header.depth + 31) / 32 * 4;
    const uint64_t bytes = stride * header.height + uint64_t{header.width} * header.height;
    if (bytes <= CRasterImage::MAX_IMAGE_BYTES)
        return {};
    return Size(header.width, header.height) + ", which take " +
           std::to_string((bytes + MEGABYTE - 1) / MEGABYTE) + " MB in memory, more than the " +
           std::to_string(CRasterImage::MAX_IMAGE_BYTES / MEGABYTE) +
           " MB the plug-in holds of a picture";
}

} // namespace

std::string PictureTrouble(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "no such file";
    CRasterImage image;
    if (image.LoadFromFile(path.c_str(), FormatPng) && image.IsValid())
        return {};
    PngHeader header;
    if (ReadPngHeader(path, header)) {
        const std::string large = TooLarge(header);
        if (!large.empty())
            return large;
    }
    return "cannot be read (" + std::string(ImageErrorText(image.LastError())) + ")";
}

std::string SkinRefusal(const std::string& descriptionPath) {
    if (GetFileAttributesA(descriptionPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return descriptionPath + ": no such file";
    char background[MAX_PATH] = {};
    GetPrivateProfileStringA(SKIN_SECTION_IMAGES, SKIN_KEY_BACKGROUND, "", background, MAX_PATH,
                             descriptionPath.c_str());
    if (!background[0])
        return descriptionPath + " names no " + SKIN_KEY_BACKGROUND + " picture in [" +
               SKIN_SECTION_IMAGES + "]";
    const size_t slash = descriptionPath.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : descriptionPath.substr(0, slash + 1);
    const std::string trouble = PictureTrouble(folder + background);
    return trouble.empty() ? std::string()
                           : "its background " + std::string(background) + ": " + trouble;
}
