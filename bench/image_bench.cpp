// Image library timings, each beside an anchor measured in the same run: PNG decoding
// against libpng's simplified API, row blending against a plain per-pixel loop and
// memcpy, and Resample (compared with Pillow by scripts/bench.sh).
#include "image/blend.h"
#include "image/rasterimage.h"

#include "fixtures.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int TRANSPARENT_MARGIN = 16;
constexpr int SOFT_EDGE = 4;
constexpr int CORNER_RADIUS = 24;

// Opacity of a skin-like rounded rectangle: a clear margin, a soft edge a few pixels
// wide, then an opaque body.
BYTE SkinOpacity(int x, int y, int width, int height) {
    const int inset = TRANSPARENT_MARGIN + CORNER_RADIUS;
    const int dx = std::max({inset - x, x - (width - 1 - inset), 0});
    const int dy = std::max({inset - y, y - (height - 1 - inset), 0});
    const double outside = std::hypot(dx, dy) - CORNER_RADIUS;
    if (outside >= 0)
        return 0;
    if (outside <= -SOFT_EDGE)
        return 255;
    return static_cast<BYTE>(-outside * 255 / SOFT_EDGE);
}

// Gradients with a little noise: compresses like a skin picture rather than like
// random bytes or a flat colour.
PngPicture SkinPicture(int width, int height, bool withAlpha, bool interlaced) {
    std::mt19937 random(static_cast<unsigned>(width * 31 + height));
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    picture.interlaced = interlaced;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int noise = static_cast<int>(random() % 9) - 4;
            picture.samples.push_back(
                static_cast<uint16_t>(std::clamp(x * 255 / width + noise, 0, 255)));
            picture.samples.push_back(
                static_cast<uint16_t>(std::clamp(y * 255 / height + noise, 0, 255)));
            picture.samples.push_back(static_cast<uint16_t>(((x / 8) ^ (y / 8)) & 1 ? 200 : 90));
            if (withAlpha)
                picture.samples.push_back(SkinOpacity(x, y, width, height));
        }
    }
    return picture;
}

struct PngCase {
    const char* name;
    int width;
    int height;
    bool withAlpha;
    bool interlaced;
};

constexpr PngCase PNG_CASES[] = {{"rgb_313x198", 313, 198, false, false},
                                 {"rgba_192x96", 192, 96, true, false},
                                 {"rgba_512x512", 512, 512, true, false},
                                 {"rgba_512x512_interlaced", 512, 512, true, true}};

void DecodeIntoImage(benchmark::State& state, const PngCase& c) {
    const Bytes file = WritePng(SkinPicture(c.width, c.height, c.withAlpha, c.interlaced));
    for (auto _ : state) {
        CRasterImage image;
        if (!DecodeBytes(image, file, FormatPng))
            state.SkipWithError(ImageErrorText(image.LastError()));
        benchmark::DoNotOptimize(image.Dib());
    }
}

void DecodeWithLibpng(benchmark::State& state, const PngCase& c) {
    const Bytes file = WritePng(SkinPicture(c.width, c.height, c.withAlpha, c.interlaced));
    for (auto _ : state) {
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
            state.SkipWithError(image.message);
            break;
        }
        image.format = c.withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
        std::unique_ptr<BYTE[]> pixels(new BYTE[PNG_IMAGE_SIZE(image)]);
        if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr))
            state.SkipWithError(image.message);
        benchmark::DoNotOptimize(pixels.get());
    }
}

// A 512 x 512 skin picture and a working bitmap of the same size with DIB row padding.
struct BlendScene {
    static constexpr int SIDE = 512;
    static constexpr size_t STRIDE = (24 * SIDE + 31) / 32 * 4;

    BlendScene() : source(STRIDE * SIDE), opacity(SIDE * SIDE), working(STRIDE * SIDE) {
        std::mt19937 random(1);
        for (BYTE& b : source)
            b = static_cast<BYTE>(random());
        for (BYTE& b : working)
            b = static_cast<BYTE>(random());
        for (int y = 0; y < SIDE; ++y) {
            for (int x = 0; x < SIDE; ++x)
                opacity[y * SIDE + x] = SkinOpacity(x, y, SIDE, SIDE);
        }
    }

    std::vector<BYTE> source;
    std::vector<BYTE> opacity;
    std::vector<BYTE> working;
};

void BlendRows(benchmark::State& state) {
    BlendScene scene;
    for (auto _ : state) {
        for (int y = 0; y < BlendScene::SIDE; ++y)
            BlendRow(scene.working.data() + y * BlendScene::STRIDE,
                     scene.source.data() + y * BlendScene::STRIDE,
                     scene.opacity.data() + y * BlendScene::SIDE, BlendScene::SIDE);
        benchmark::ClobberMemory();
    }
}

void BlendPlainLoop(benchmark::State& state) {
    BlendScene scene;
    for (auto _ : state) {
        for (int y = 0; y < BlendScene::SIDE; ++y) {
            BYTE* target = scene.working.data() + y * BlendScene::STRIDE;
            const BYTE* source = scene.source.data() + y * BlendScene::STRIDE;
            const BYTE* opacity = scene.opacity.data() + y * BlendScene::SIDE;
            for (int x = 0; x < BlendScene::SIDE; ++x) {
                const int a = opacity[x];
                for (int c = 0; c < 3 && a != 0; ++c) {
                    BYTE& out = target[3 * x + c];
                    const int in = source[3 * x + c];
                    out = static_cast<BYTE>(a == 255 ? in : (in * a + out * (255 - a)) / 256);
                }
            }
        }
        benchmark::ClobberMemory();
    }
}

void CopyBlendBytes(benchmark::State& state) {
    BlendScene scene;
    for (auto _ : state) {
        std::memcpy(scene.working.data(), scene.source.data(), scene.working.size());
        benchmark::ClobberMemory();
    }
}

void ResampleImage(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    const LONG side = static_cast<LONG>(state.range(1));
    CRasterImage image;
    image.Create(1024, 1024, 24, FormatPng);
    std::mt19937 random(2);
    for (LONG y = 0; y < 1024; ++y) {
        BYTE* row = image.RowPointer(static_cast<DWORD>(y));
        for (DWORD k = 0; k < image.Info().rowStride; ++k)
            row[k] = static_cast<BYTE>(random());
    }
    CRasterImage result;
    for (auto _ : state) {
        if (!image.Resample(side, side, mode, &result))
            state.SkipWithError("Resample failed");
        benchmark::DoNotOptimize(result.Dib());
    }
}

void RegisterAll() {
    for (const PngCase& c : PNG_CASES) {
        benchmark::RegisterBenchmark((std::string("png_decode/") + c.name).c_str(), DecodeIntoImage,
                                     c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("png_libpng_simplified/") + c.name).c_str(),
                                     DecodeWithLibpng, c)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("blend_512/BlendRow", BlendRows)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("blend_512/plain_loop", BlendPlainLoop)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("blend_512/memcpy", CopyBlendBytes)->Unit(benchmark::kMicrosecond);
    // 640 is not a whole fraction of 1024: every destination boundary cuts a source pixel.
    for (int mode : {0, 1, 2}) {
        for (int side : {512, 640, 1536})
            benchmark::RegisterBenchmark("resample_1024", ResampleImage)
                ->Args({mode, side})
                ->ArgNames({"mode", "side"})
                ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
