// Cropping and resampling. Every filter works in single precision and truncates toward
// zero; the fast paths below keep each operation in the same order, so results stay
// bit-exact.
#include "image/rasterimage.h"

#include "image/packedindex.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The x86 conversion: values outside the 32-bit range (only reachable through absurd
// scale products) give INT32_MIN instead of undefined behaviour.
LONG Truncate(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        return INT32_MIN;
    return static_cast<LONG>(value);
}

float Times(LONG value, float scale) {
    return static_cast<float>(value) * scale;
}

void SetPackedIndex(BYTE* row, LONG x, WORD depth, BYTE index) {
    switch (depth) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        const int shift = 4 * (1 - x % 2);
        row[x / 2] = static_cast<BYTE>((row[x / 2] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    default: {
        const int shift = 7 - x % 8;
        row[x / 8] = static_cast<BYTE>((row[x / 8] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    }
}

// Source coordinate (long)(i * scale) for every destination coordinate i. The clamp
// never bites for images Create accepts; it keeps reads inside if that ever changes.
std::vector<LONG> NearestMap(LONG count, float scale, LONG sourceCount) {
    std::vector<LONG> map(static_cast<size_t>(count));
    for (LONG i = 0; i < count; ++i)
        map[i] = std::clamp<LONG>(Truncate(Times(i, scale)), 0, sourceCount - 1);
    return map;
}

void CopyNearestAlpha(const CRasterImage& source, CRasterImage& result,
                      const std::vector<LONG>& columns, const std::vector<LONG>& rows) {
    const size_t sourceWidth = static_cast<size_t>(source.Width());
    const size_t width = columns.size();
    BYTE* target = result.AlphaPlane();
    for (size_t y = 0; y < rows.size(); ++y, target += width) {
        if (y > 0 && rows[y] == rows[y - 1]) {
            std::memcpy(target, target - width, width);
            continue;
        }
        const BYTE* from = source.AlphaPlane() + rows[y] * sourceWidth;
        for (size_t x = 0; x < width; ++x)
            target[x] = from[columns[x]];
    }
}

void ResampleNearest(CRasterImage& source, CRasterImage& result, const std::vector<LONG>& columns,
                     const std::vector<LONG>& rows) {
    const WORD depth = source.BitCount();
    const size_t width = columns.size();
    const size_t rowBytes = (width * depth + 7) / 8;
    BYTE table[256] = {};
    if (depth < 24) {
        for (DWORD i = 0; i < source.Header().biClrUsed; ++i)
            table[i] = result.NearestIndex(source.PaletteColor(i));
    }
    for (size_t y = 0; y < rows.size(); ++y) {
        BYTE* target = result.RowPointer(static_cast<DWORD>(y));
        if (y > 0 && rows[y] == rows[y - 1]) {
            std::memcpy(target, result.RowPointer(static_cast<DWORD>(y - 1)), rowBytes);
            continue;
        }
        const BYTE* from = source.RowPointer(static_cast<DWORD>(rows[y]));
        if (depth == 24) {
            for (size_t x = 0; x < width; ++x)
                std::memcpy(target + 3 * x, from + 3 * columns[x], 3);
        } else {
            for (size_t x = 0; x < width; ++x)
                SetPackedIndex(target, static_cast<LONG>(x), depth,
                               table[PackedIndex(from, columns[x], depth)]);
        }
    }
    // A pixel-by-pixel pass would leave the colour of its last pixel in the cache.
    if (depth < 24)
        result.NearestIndex(source.PixelColor(columns.back(), rows.back()));
}

// Blue, green, red and an unused lane, so that one pixel's channels go through the same
// arithmetic side by side.
struct Color4 {
    float lane[4];
};

// Source rows as floats, each converted once while a filter walks up the image. Rows
// that one output row needs together fall into different slots.
class FloatRows {
public:
    FloatRows(const CRasterImage& source, LONG slotCount)
        : image(source), width(static_cast<size_t>(source.Width())),
          rows(static_cast<size_t>(slotCount) * width),
          slotRow(static_cast<size_t>(slotCount), -1) {
        for (DWORD i = 0; i < source.Header().biClrUsed; ++i) {
            const RGBQUAD entry = source.PaletteColor(i);
            palette[i] =
                Color4{{float(entry.rgbBlue), float(entry.rgbGreen), float(entry.rgbRed), 0}};
        }
    }

    const Color4* Row(LONG row) {
        const size_t slot = static_cast<size_t>(row) % slotRow.size();
        Color4* target = rows.data() + slot * width;
        if (slotRow[slot] != row) {
            Convert(image.RowPointer(static_cast<DWORD>(row)), target);
            slotRow[slot] = row;
        }
        return target;
    }

private:
    void Convert(const BYTE* from, Color4* target) const {
        const WORD depth = image.BitCount();
        for (size_t x = 0; x < width; ++x) {
            if (depth == 24)
                target[x] =
                    Color4{{float(from[3 * x]), float(from[3 * x + 1]), float(from[3 * x + 2]), 0}};
            else
                target[x] = palette[PackedIndex(from, static_cast<LONG>(x), depth)];
        }
    }

    const CRasterImage& image;
    size_t width;
    std::vector<Color4> rows;
    std::vector<LONG> slotRow;
    Color4 palette[256] = {};
};

// Stores one filtered pixel: bytes for 24 bits, the nearest palette entry otherwise.
void StorePixel(CRasterImage& result, BYTE* row, LONG x, const Color4& value) {
    const BYTE blue = static_cast<BYTE>(static_cast<LONG>(value.lane[0]));
    const BYTE green = static_cast<BYTE>(static_cast<LONG>(value.lane[1]));
    const BYTE red = static_cast<BYTE>(static_cast<LONG>(value.lane[2]));
    const WORD depth = result.BitCount();
    if (depth == 24) {
        row[3 * x] = blue;
        row[3 * x + 1] = green;
        row[3 * x + 2] = red;
        return;
    }
    SetPackedIndex(row, x, depth, result.NearestIndex(RGBQUAD{blue, green, red, 0}));
}

struct LinearStep {
    LONG first;
    LONG second;
    float fraction;
};

LinearStep LinearStepAt(LONG i, float scale, LONG sourceCount) {
    const float position = Times(i, scale);
    const LONG first = std::clamp<LONG>(Truncate(position), 0, sourceCount - 1);
    return LinearStep{first, std::min(sourceCount - 1, first + 1),
                      position - static_cast<float>(first)};
}

void ResampleBilinear(const CRasterImage& source, CRasterImage& result, float xScale,
                      float yScale) {
    const LONG width = result.Width();
    std::vector<LinearStep> columns(static_cast<size_t>(width));
    for (LONG x = 0; x < width; ++x)
        columns[x] = LinearStepAt(x, xScale, source.Width());
    FloatRows rows(source, 2);
    for (LONG y = 0; y < result.Height(); ++y) {
        const LinearStep step = LinearStepAt(y, yScale, source.Height());
        const Color4* lower = rows.Row(step.first);
        const Color4* upper = rows.Row(step.second);
        const float dy = step.fraction;
        BYTE* target = result.RowPointer(static_cast<DWORD>(y));
        for (LONG x = 0; x < width; ++x) {
            const LinearStep& column = columns[x];
            const Color4& c1 = lower[column.first];
            const Color4& c2 = lower[column.second];
            const Color4& c3 = upper[column.first];
            const Color4& c4 = upper[column.second];
            Color4 value;
            for (int k = 0; k < 4; ++k) {
                const float p = c1.lane[k] + (c3.lane[k] - c1.lane[k]) * dy;
                const float q = c2.lane[k] + (c4.lane[k] - c2.lane[k]) * dy;
                value.lane[k] = p + (q - p) * column.fraction;
            }
            StorePixel(result, target, x, value);
        }
    }
}

float PositiveCube(float u) {
    return u > 0 ? u * u * u : 0.0f;
}

// The cubic B-spline.
float Spline(float t) {
    return (PositiveCube(t + 2) - 4 * PositiveCube(t + 1) + 6 * PositiveCube(t) -
            4 * PositiveCube(t - 1)) *
           0.16666667f;
}

// The four source positions around one output position, clamped to the image, and the
// spline weight of each: K(m - a) along y, K(b - n) along x.
struct CubicStep {
    LONG index[4];
    float weight[4];
};

CubicStep CubicStepAt(LONG i, float scale, LONG sourceCount, bool alongY) {
    const float position = Times(i, scale) - 0.5f;
    const float whole = std::floor(position);
    const float fraction = position - whole;
    const LONG base = Truncate(whole);
    CubicStep step;
    for (int n = -1; n <= 2; ++n) {
        const int64_t index = static_cast<int64_t>(base) + n;
        step.index[n + 1] = static_cast<LONG>(std::clamp<int64_t>(index, 0, sourceCount - 1));
        step.weight[n + 1] = alongY ? Spline(static_cast<float>(n) - fraction)
                                    : Spline(fraction - static_cast<float>(n));
    }
    return step;
}

void ResampleBicubic(const CRasterImage& source, CRasterImage& result, float xScale, float yScale) {
    const LONG width = result.Width();
    std::vector<CubicStep> columns(static_cast<size_t>(width));
    for (LONG x = 0; x < width; ++x)
        columns[x] = CubicStepAt(x, xScale, source.Width(), false);
    FloatRows rows(source, 4);
    for (LONG y = 0; y < result.Height(); ++y) {
        const CubicStep step = CubicStepAt(y, yScale, source.Height(), true);
        const Color4* band[4];
        for (int m = 0; m < 4; ++m)
            band[m] = rows.Row(step.index[m]);
        BYTE* target = result.RowPointer(static_cast<DWORD>(y));
        for (LONG x = 0; x < width; ++x) {
            const CubicStep& column = columns[x];
            Color4 sum = {};
            for (int m = 0; m < 4; ++m) {
                for (int n = 0; n < 4; ++n) {
                    const float w = step.weight[m] * column.weight[n];
                    const Color4& c = band[m][column.index[n]];
                    for (int k = 0; k < 4; ++k)
                        sum.lane[k] = sum.lane[k] + c.lane[k] * w;
                }
            }
            StorePixel(result, target, x, sum);
        }
    }
}

// Where destination pixel boundaries fall among the source pixels of one direction:
// a source pixel at or past the running end straddles two destination pixels and gives
// `weight` thousandths to the second. Float drift can schedule more boundaries than
// there are destination pixels on very large images; the extra ones are dropped, so
// those source pixels only feed the spare accumulator that is never written.
struct BoxSchedule {
    std::vector<BYTE> boundary;
    std::vector<int32_t> weight;
};

BoxSchedule ScheduleBoxes(LONG sourceCount, LONG destinationCount, float scale) {
    BoxSchedule schedule{std::vector<BYTE>(static_cast<size_t>(sourceCount)),
                         std::vector<int32_t>(static_cast<size_t>(sourceCount))};
    float end = scale - 1;
    LONG boundaries = 0;
    for (LONG s = 0; s < sourceCount && boundaries < destinationCount; ++s) {
        if (static_cast<float>(s) < end)
            continue;
        schedule.boundary[s] = 1;
        schedule.weight[s] = Truncate((static_cast<float>(s) - end) * 1000);
        end += scale;
        ++boundaries;
    }
    return schedule;
}

// Truncating division by one divisor as a multiply and a shift, exact for every 32-bit
// dividend when the divisor is positive (m = ceil(2^s / d) with s = 31 + ceil(log2 d)):
// hardware division would otherwise bound the shrink's output loop.
class TruncatingDivider {
public:
    explicit TruncatingDivider(int32_t divisor) : divisor(divisor) {
        if (divisor <= 0)
            return;
        while ((uint64_t{1} << (shift - 31)) < static_cast<uint64_t>(divisor))
            ++shift;
        multiplier = ((uint64_t{1} << shift) + static_cast<uint64_t>(divisor) - 1) /
                     static_cast<uint64_t>(divisor);
    }

    int32_t operator()(int32_t dividend) const {
        if (multiplier == 0)
            return dividend / divisor;
        const uint64_t magnitude = dividend < 0
                                       ? 0 - static_cast<uint64_t>(static_cast<int64_t>(dividend))
                                       : static_cast<uint64_t>(dividend);
        const int64_t quotient = static_cast<int64_t>((magnitude * multiplier) >> shift);
        return static_cast<int32_t>(dividend < 0 ? -quotient : quotient);
    }

private:
    int32_t divisor;
    int shift = 31;
    uint64_t multiplier = 0;
};

// Box-averaging shrink of 24-bit images in fixed point (weights in thousandths). The
// sums are 32-bit and wrap as such; unsigned arithmetic makes the wrap defined, and
// since sums modulo 2^32 may be regrouped freely, rows that lie wholly inside one
// destination row are first added up per source column and spread over the
// destination columns once per band.
class BoxShrink {
public:
    BoxShrink(const CRasterImage& source, CRasterImage& result, float xScale, float yScale)
        : source(source), result(result),
          columns(ScheduleBoxes(source.Width(), result.Width(), xScale)),
          rows(ScheduleBoxes(source.Height(), result.Height(), yScale)),
          columnSums(3 * static_cast<size_t>(source.Width())),
          current(3 * static_cast<size_t>(result.Width()) + 3),
          carry(3 * static_cast<size_t>(result.Width()) + 3),
          divide(Truncate(1000 * xScale * yScale)) {
        const size_t boundaries = static_cast<size_t>(
            std::count(columns.boundary.begin(), columns.boundary.end(), BYTE{1}));
        settledCarry = 3 * (boundaries + 1);
        finishedSums = 3 * std::min(boundaries + 1, static_cast<size_t>(result.Width()));
    }

    void Run() {
        LONG written = 0;
        for (LONG y = 0; y < source.Height(); ++y) {
            const BYTE* from = source.RowPointer(static_cast<DWORD>(y));
            if (!rows.boundary[y]) {
                AddToColumnSums(from);
                continue;
            }
            if (rows.weight[y] == 0) {
                // A row that ends exactly on a destination row belongs wholly to it: each
                // of its thousandths products divides exactly and its carry is zero.
                AddToColumnSums(from);
                SpreadColumnSums();
                std::fill_n(carry.begin(), settledCarry, 0u);
            } else {
                SpreadColumnSums();
                AddStraddlingRow(from, rows.weight[y]);
            }
            WriteSums(result.RowPointer(static_cast<DWORD>(written)), finishedSums);
            std::swap(current, carry);
            std::fill_n(carry.begin(), 3, 0u);
            ++written;
        }
        SpreadColumnSums();
        if (written < result.Height())
            WriteSums(result.RowPointer(static_cast<DWORD>(written)),
                      3 * static_cast<size_t>(result.Width()));
    }

private:
    // Destination pixels are final once their boundary is passed, so a row's averages
    // are written after all its source pixels have been added.
    void WriteSums(BYTE* target, size_t count) const {
        for (size_t k = 0; k < count; ++k)
            target[k] = static_cast<BYTE>(divide(static_cast<int32_t>(current[k])));
    }

    void AddToColumnSums(const BYTE* from) {
        uint32_t* sums = columnSums.data();
        for (size_t k = 0; k < columnSums.size(); ++k)
            sums[k] += from[k];
        pending = true;
    }

    void SpreadColumnSums() {
        if (!pending)
            return;
        const LONG width = source.Width();
        const uint32_t* from = columnSums.data();
        uint32_t* sums = current.data();
        for (LONG x = 0; x < width; ++x, from += 3) {
            if (!columns.boundary[x]) {
                for (int c = 0; c < 3; ++c)
                    sums[c] += 1000u * from[c];
                continue;
            }
            const uint32_t wx = static_cast<uint32_t>(columns.weight[x]);
            for (int c = 0; c < 3; ++c) {
                sums[c] += (1000 - wx) * from[c];
                sums[c + 3] += wx * from[c];
            }
            sums += 3;
        }
        std::fill(columnSums.begin(), columnSums.end(), 0u);
        pending = false;
    }

    void AddStraddlingRow(const BYTE* from, int32_t wy) {
        const LONG width = source.Width();
        const uint32_t below = static_cast<uint32_t>(1000 - wy);
        const uint32_t above = static_cast<uint32_t>(wy);
        uint32_t* sums = current.data();
        uint32_t* next = carry.data();
        for (LONG x = 0; x < width; ++x, from += 3) {
            if (!columns.boundary[x]) {
                for (int c = 0; c < 3; ++c) {
                    sums[c] += below * from[c];
                    next[c] += above * from[c];
                }
                continue;
            }
            // Every factor is at most 1000 and the source at most 255, so the products
            // stay below 2^28 and unsigned arithmetic gives the same quotients.
            const uint32_t right = static_cast<uint32_t>(columns.weight[x]);
            const uint32_t left = 1000 - right;
            for (int c = 0; c < 3; ++c) {
                const uint32_t s = from[c];
                sums[c] += below * left * s / 1000;
                next[c] += above * left * s / 1000;
                sums[c + 3] += below * right * s / 1000;
                next[c + 3] = above * right * s / 1000;
            }
            sums += 3;
            next += 3;
        }
    }

    const CRasterImage& source;
    CRasterImage& result;
    BoxSchedule columns;
    BoxSchedule rows;
    std::vector<uint32_t> columnSums;
    bool pending = false;
    std::vector<uint32_t> current;
    std::vector<uint32_t> carry;
    size_t settledCarry = 0;
    size_t finishedSums = 0;
    TruncatingDivider divide;
};

} // namespace

bool CRasterImage::Crop(LONG left, LONG top, LONG right, LONG bottom, CRasterImage* destination) {
    return Crop(left, top, right, bottom, destination ? *destination : *this);
}

bool CRasterImage::Crop(LONG left, LONG top, LONG right, LONG bottom,
                        CRasterImage& destination) const {
    if (!dib)
        return false;
    const LONG width = Width();
    const LONG height = Height();
    LONG startX = std::clamp<LONG>(left, 0, width);
    LONG endX = std::clamp<LONG>(right, 0, width);
    LONG startY = height - std::clamp<LONG>(top, 0, height);
    LONG endY = height - std::clamp<LONG>(bottom, 0, height);
    if (startX == endX || startY == endY)
        return false;
    if (startX > endX)
        std::swap(startX, endX);
    if (startY > endY)
        std::swap(startY, endY);

    CRasterImage result;
    if (!result.Create(endX - startX, endY - startY, BitCount(), info.formatId))
        return false;
    result.SetPalette(Palette(), header.biClrUsed);
    result.info.transparentIndex = info.transparentIndex;
    result.info.transparentColor = info.transparentColor;
    // The opacities travel with the palette: a button cut from a strip stays translucent.
    result.info.alphaPaletteEnabled = info.alphaPaletteEnabled;

    const WORD depth = BitCount();
    const LONG resultWidth = result.Width();
    for (LONG y = startY; y < endY; ++y) {
        const BYTE* from = RowPointer(static_cast<DWORD>(y));
        BYTE* target = result.RowPointer(static_cast<DWORD>(y - startY));
        if (depth >= 8) {
            std::memcpy(target, from + static_cast<size_t>(startX) * depth / 8,
                        static_cast<size_t>(resultWidth) * depth / 8);
            continue;
        }
        for (LONG x = 0; x < resultWidth; ++x)
            SetPackedIndex(target, x, depth, PackedIndex(from, startX + x, depth));
    }

    if (alpha) {
        result.CreateAlpha();
        for (LONG y = startY; result.alpha && y < endY; ++y) {
            std::memcpy(result.alpha.get() + static_cast<size_t>(y - startY) * resultWidth,
                        alpha.get() + static_cast<size_t>(y) * width + startX,
                        static_cast<size_t>(resultWidth));
        }
    }
    destination.TakeOver(result);
    return true;
}

bool CRasterImage::Resample(LONG newWidth, LONG newHeight, int mode, CRasterImage* destination) {
    if (newWidth == 0 || newHeight == 0 || !dib)
        return false;
    if (newWidth == Width() && newHeight == Height()) {
        if (destination)
            destination->CopyFrom(*this, true, true);
        return true;
    }
    const float xScale = static_cast<float>(Width()) / static_cast<float>(newWidth);
    const float yScale = static_cast<float>(Height()) / static_cast<float>(newHeight);
    CRasterImage result;
    result.CopySettingsFrom(*this);
    result.Create(newWidth, newHeight, BitCount(), info.formatId);
    result.SetPalette(Palette(), 256);
    if (!result.IsValid())
        return false;

    const bool shrink = newWidth < Width() && newHeight < Height();
    if (mode == 1) {
        ResampleNearest(*this, result, NearestMap(newWidth, xScale, Width()),
                        NearestMap(newHeight, yScale, Height()));
    } else if (mode == 2) {
        ResampleBicubic(*this, result, xScale, yScale);
    } else if (BitCount() == 24 && shrink) {
        BoxShrink(*this, result, xScale, yScale).Run();
    } else {
        ResampleBilinear(*this, result, xScale, yScale);
    }

    if (alpha) {
        result.CreateAlpha();
        if (result.alpha)
            CopyNearestAlpha(*this, result, NearestMap(newWidth, xScale, Width()),
                             NearestMap(newHeight, yScale, Height()));
    }
    (destination ? destination : this)->TakeOver(result);
    return true;
}
