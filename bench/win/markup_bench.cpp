// The tooltip's markup engine on one long paragraph at the exit window's width of 300
// pixels: the measuring pass and the drawing pass, at 100 K and at 1 M characters. Ratios
// against ten times the 100 K case show whether the time grows with the text or faster, and
// against one bare GetTextExtentExPointW pass over the same text, what the layout adds.
#include "base/owners.h"
#include "tooltip/markuprenderer.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int TEXT_WIDTH = 300;

std::wstring Paragraph(size_t units) {
    const wchar_t* const words[] = {L"Ends",    L"your", L"session,", L"shuts",   L"down",
                                    L"Windows", L"and",  L"starts",   L"again.",  L"Saves",
                                    L"memory",  L"to",   L"disk",     L"so",      L"that",
                                    L"you",     L"can",  L"safely",   L"turn",    L"off",
                                    L"power;",  L"the",  L"computer", L"restart", L"hibernate"};
    const size_t count = sizeof words / sizeof *words;
    std::wstring text;
    text.reserve(units + 16);
    unsigned seed = 12345;
    while (text.size() < units) {
        seed = seed * 1103515245u + 12345u;
        text += words[(seed >> 16) % count];
        text += L' ';
    }
    text.resize(units);
    return text;
}

double Milliseconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Median(int repetitions, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i)
        times.push_back(Milliseconds(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The least any wrapping layout must do: fit one line after the other.
void BareExtentPass(HDC dc, const std::wstring& text) {
    std::vector<int> extents(TEXT_WIDTH + 64);
    size_t at = 0;
    while (at < text.size()) {
        const int count = static_cast<int>(std::min(text.size() - at, extents.size()));
        int fit = 0;
        SIZE size = {};
        GetTextExtentExPointW(dc, text.data() + at, count, TEXT_WIDTH, &fit, extents.data(), &size);
        at += static_cast<size_t>(std::max(fit, 1));
    }
}

struct Timing {
    double measure;
    double draw;
    size_t lines;
    unsigned checksum; // of the line widths, to compare layouts between versions
};

unsigned Checksum(const std::vector<int>& values) {
    unsigned sum = 2166136261u;
    for (int value : values)
        sum = (sum ^ static_cast<unsigned>(value)) * 16777619u;
    return sum;
}

Timing TimePasses(CMarkupRenderer& renderer, HDC measuring, const DibSection& canvas,
                  const std::wstring& text, int repetitions) {
    const RECT area = {0, 0, TEXT_WIDTH, 0};
    SIZE size = {};
    const double measure = Median(
        repetitions, [&] { size = renderer.RenderText(measuring, area, text.c_str(), true); });
    const RECT drawArea = {0, 0, TEXT_WIDTH, size.cy};
    const double draw = Median(
        repetitions, [&] { renderer.RenderText(canvas.Dc(), drawArea, text.c_str(), false); });
    const std::vector<int>& widths = renderer.Layout().lineWidths;
    return {measure, draw, widths.size(), Checksum(widths)};
}

void Figure(const char* name, double ms) {
    std::printf("figure %s: %.3f ms\n", name, ms);
}

void Ratio(const char* name, double value) {
    std::printf("ratio %s: %.2f\n", name, value);
}

} // namespace

int main() {
    CMarkupRenderer renderer(GetModuleHandleA(nullptr));
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        renderer.baseFont = metrics.lfStatusFont;
    renderer.maxTextWidth = TEXT_WIDTH;
    MemoryDC measuring(nullptr);
    DibSection canvas(nullptr, TEXT_WIDTH + 20, -400, 32);

    const std::wstring small = Paragraph(100 * 1024);
    const std::wstring large = Paragraph(1024 * 1024);
    const Timing smallTime = TimePasses(renderer, measuring.Get(), canvas, small, 5);
    const Timing largeTime = TimePasses(renderer, measuring.Get(), canvas, large, 3);
    if (smallTime.lines < 100 || largeTime.lines < 10 * smallTime.lines - 10) {
        std::printf("markup_bench: the paragraphs were not laid out (%u and %u lines)\n",
                    static_cast<unsigned>(smallTime.lines), static_cast<unsigned>(largeTime.lines));
        return 1;
    }
    Font font(CreateFontIndirectW(&renderer.baseFont));
    Selection selected(measuring.Get(), font.Get());
    const double bare = Median(3, [&] { BareExtentPass(measuring.Get(), large); });

    std::printf("layout markup/1MB at %d px: %u lines, widths checksum %08x\n", TEXT_WIDTH,
                static_cast<unsigned>(largeTime.lines), largeTime.checksum);
    Figure("markup_measure/100KB", smallTime.measure);
    Figure("markup_measure/1MB", largeTime.measure);
    Figure("markup_draw/100KB", smallTime.draw);
    Figure("markup_draw/1MB", largeTime.draw);
    Figure("bare_extent_pass/1MB", bare);
    Ratio("markup_measure/1MB vs 10 x 100KB", largeTime.measure / (10 * smallTime.measure));
    Ratio("markup_draw/1MB vs 10 x 100KB", largeTime.draw / (10 * smallTime.draw));
    Ratio("markup_measure/1MB vs bare extent pass", largeTime.measure / bare);
    return 0;
}
