#include "crossdoc/PageCells.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ikw::crossdoc {

namespace {

constexpr std::size_t kChannels = 3;

// One table per channel: the tint depends only on the value it replaces.
struct TintTables {
    unsigned char red[256];
    unsigned char other[256];

    TintTables()
    {
        for (int value = 0; value < 256; ++value) {
            red[value] = static_cast<unsigned char>(std::min(value * 0.6 + 86.8, 255.0));
            other[value] = static_cast<unsigned char>(value * 0.55);
        }
    }
};

const TintTables& tintTables()
{
    static const TintTables tables;
    return tables;
}

long long cellDifference(const pdf::PageImage& a, const pdf::PageImage& b, int x0, int y0, int x1, int y1)
{
    const std::size_t stride = static_cast<std::size_t>(a.width) * kChannels;
    long long sum = 0;
    for (int y = y0; y < y1; ++y) {
        const unsigned char* pa = a.pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0) * kChannels;
        const unsigned char* pb = b.pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0) * kChannels;
        const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * kChannels;
        // Most cells of text pages are equal row for row; memcmp finds that fastest.
        if (std::memcmp(pa, pb, bytes) == 0)
            continue;
        for (std::size_t i = 0; i < bytes; ++i)
            sum += std::abs(static_cast<int>(pa[i]) - static_cast<int>(pb[i]));
    }
    return sum;
}

void tintCell(pdf::PageImage& image, int x0, int y0, int x1, int y1)
{
    const TintTables& tables = tintTables();
    const std::size_t stride = static_cast<std::size_t>(image.width) * kChannels;
    for (int y = y0; y < y1; ++y) {
        unsigned char* p = image.pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0) * kChannels;
        for (int x = x0; x < x1; ++x, p += kChannels) {
            p[0] = tables.red[p[0]];
            p[1] = tables.other[p[1]];
            p[2] = tables.other[p[2]];
        }
    }
}

}

double CellCount::fraction() const
{
    const long long cells = static_cast<long long>(columns) * rows;
    return static_cast<double>(changed) / static_cast<double>(std::max(1LL, cells));
}

Rgb tinted(Rgb pixel)
{
    const TintTables& tables = tintTables();
    return { tables.red[pixel.r], tables.other[pixel.g], tables.other[pixel.b] };
}

pdf::PageImage padToSize(pdf::PageImage image, int width, int height)
{
    if (image.width == width && image.height == height)
        return image;
    pdf::PageImage canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kChannels, 0xff);
    const int rows = std::min(height, image.height);
    const std::size_t bytes = static_cast<std::size_t>(std::min(width, image.width)) * kChannels;
    for (int y = 0; y < rows; ++y)
        std::memcpy(canvas.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * kChannels,
            image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) * kChannels, bytes);
    return canvas;
}

CellCount compareCells(const pdf::PageImage& a, pdf::PageImage& b, const CellRule& rule)
{
    CellCount count;
    if (a.width != b.width || a.height != b.height || a.width < 1 || a.height < 1 || rule.cell < 1)
        return count;
    count.columns = (a.width + rule.cell - 1) / rule.cell;
    count.rows = (a.height + rule.cell - 1) / rule.cell;
    for (int y0 = 0; y0 < a.height; y0 += rule.cell) {
        const int y1 = std::min(y0 + rule.cell, a.height);
        for (int x0 = 0; x0 < a.width; x0 += rule.cell) {
            const int x1 = std::min(x0 + rule.cell, a.width);
            const long long sum = cellDifference(a, b, x0, y0, x1, y1);
            const double values = static_cast<double>(x1 - x0) * (y1 - y0) * static_cast<double>(kChannels);
            if (static_cast<double>(sum) / values > rule.threshold) {
                ++count.changed;
                tintCell(b, x0, y0, x1, y1);
            }
        }
    }
    return count;
}

}
