// Writes the shared test pictures as files (the fuzzing seed corpus), writes a digest
// of what this build decodes from them, or compares two builds' digests.
#include "fixtures.h"

#include "image/rasterimage.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int SKIPPED = 77;

uint64_t Fnv1a(const BYTE* bytes, size_t size, uint64_t hash = 1469598103934665603ull) {
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

std::string Hex(uint64_t value) {
    std::ostringstream text;
    text << std::hex << std::setw(16) << std::setfill('0') << value;
    return text.str();
}

std::string DigestLine(const NamedFixture& fixture) {
    CRasterImage image;
    const bool decoded = DecodeBytes(image, fixture.bytes, FormatUnknown);
    const BITMAPINFOHEADER& header = image.Header();
    const ImageInfo& info = image.Info();
    uint64_t pixels = 0;
    uint64_t alpha = 0;
    if (image.IsValid())
        pixels = Fnv1a(image.Dib(), 40 + 4 * header.biClrUsed + header.biSizeImage);
    if (image.AlphaPlane())
        alpha = Fnv1a(image.AlphaPlane(), size_t(image.Width()) * image.Height());
    const RGBQUAD key = info.transparentColor;
    std::ostringstream line;
    line << fixture.name << " input=" << Hex(Fnv1a(fixture.bytes.data(), fixture.bytes.size()))
         << " ok=" << decoded << " format=" << info.formatId << " size=" << image.Width() << "x"
         << image.Height() << "x" << header.biBitCount << " key=" << info.transparentIndex << "/"
         << int(key.rgbBlue) << "," << int(key.rgbGreen) << "," << int(key.rgbRed) << ","
         << int(key.rgbReserved) << " alphapalette=" << info.alphaPaletteEnabled
         << " dpi=" << info.dpiX << "," << info.dpiY << " pixels=" << Hex(pixels)
         << " alpha=" << Hex(alpha) << " error=" << ImageErrorText(info.lastError);
    return line.str();
}

int WriteDigest(const char* path) {
    std::ofstream out(path, std::ios::binary);
    out << "stamp " << QIMAGE_SOURCE_STAMP << "\n";
    for (const NamedFixture& fixture : AllFixtures())
        out << DigestLine(fixture) << "\n";
    return out.good() ? 0 : 1;
}

std::vector<std::string> Lines(const char* path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Skipped, not passed, while the other build's digest is missing or from other sources.
int CompareDigests(const char* mine, const char* other) {
    const std::vector<std::string> ours = Lines(mine);
    const std::vector<std::string> theirs = Lines(other);
    if (ours.empty())
        return 1;
    if (theirs.empty() || theirs[0] != ours[0]) {
        std::printf("no digest of the same sources from the other build at %s\n", other);
        return SKIPPED;
    }
    int differences = 0;
    for (size_t i = 1; i < ours.size() || i < theirs.size(); ++i) {
        const std::string a = i < ours.size() ? ours[i] : "(missing)";
        const std::string b = i < theirs.size() ? theirs[i] : "(missing)";
        if (a != b) {
            std::printf("this build:  %s\nother build: %s\n", a.c_str(), b.c_str());
            ++differences;
        }
    }
    std::printf("%zu pictures compared, %d differ\n", ours.size() - 1, differences);
    return differences == 0 ? 0 : 1;
}

int WriteCorpus(const std::string& folder) {
    for (const NamedFixture& fixture : AllFixtures()) {
        const std::string path = folder + "/" + fixture.name;
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return 1;
        std::fwrite(fixture.bytes.data(), 1, fixture.bytes.size(), file);
        std::fclose(file);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "digest") == 0)
        return WriteDigest(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "compare") == 0)
        return CompareDigests(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "corpus") == 0)
        return WriteCorpus(argv[2]);
    std::fprintf(stderr, "usage: %s digest <file> | compare <mine> <other> | corpus <folder>\n",
                 argv[0]);
    return 2;
}
