#include "platform/image/QV_Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Weights of the source pixels (relative to the rectangle's start) behind each
// target pixel along one axis, in one flat list: target i takes Count[i]
// weights from Offset[i] on, for the source pixels from First[i] on.
struct TTaps {
    std::vector<int> First, Count, Offset;
    std::vector<float> Weights;
    // Every target pixel is its own source pixel, unweighted.
    bool Identity = false;
};

TTaps AxisTaps(int srcLength, int dstLength, TResampler kind)
{
    TTaps taps;
    taps.First.resize(dstLength);
    taps.Count.resize(dstLength);
    taps.Offset.resize(dstLength);
    taps.Identity = dstLength == srcLength;
    const double scale = double(srcLength) / dstLength;
    for (int i = 0; i < dstLength; ++i) {
        taps.Offset[i] = int(taps.Weights.size());
        if (dstLength > srcLength) {
            const double centre = (i + 0.5) * scale - 0.5;
            const int left = int(std::floor(centre));
            const float frac = float(centre - left);
            const int a = std::clamp(left, 0, srcLength - 1);
            const int b = std::clamp(left + 1, 0, srcLength - 1);
            taps.First[i] = a;
            if (a == b) {
                taps.Weights.push_back(1.0f);
            } else {
                taps.Weights.push_back(1.0f - frac);
                taps.Weights.push_back(frac);
            }
        } else if (kind == TResampler::rsDraft || dstLength == srcLength) {
            const int from = int(std::int64_t(i) * srcLength / dstLength);
            const int to = int(std::int64_t(i + 1) * srcLength / dstLength);
            taps.First[i] = from;
            taps.Weights.insert(taps.Weights.end(), std::size_t(to - from), 1.0f / float(to - from));
        } else {
            const double from = i * scale, to = (i + 1) * scale;
            const int first = int(std::floor(from));
            const int last = std::min(srcLength - 1, int(std::ceil(to)) - 1);
            taps.First[i] = first;
            for (int j = first; j <= last; ++j) {
                const double cover = std::min<double>(to, j + 1) - std::max<double>(from, j);
                taps.Weights.push_back(float(std::max(0.0, cover) / scale));
            }
        }
        taps.Count[i] = int(taps.Weights.size()) - taps.Offset[i];
    }
    return taps;
}

// One premultiplied pixel from weighted channel sums.
std::uint32_t PackPixel(const float* sums)
{
    auto channel = [](float v) { return std::uint32_t(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    const std::uint32_t a = channel(sums[0]);
    // Rounding may lift a colour channel above alpha; premultiplied pixels must not.
    const std::uint32_t red = std::min(a, channel(sums[1]));
    const std::uint32_t g = std::min(a, channel(sums[2]));
    const std::uint32_t b = std::min(a, channel(sums[3]));
    return (a << 24) | (red << 16) | (g << 8) | b;
}

// One source row weighted along x into four floats per target pixel.
void WeighRow(const std::uint32_t* line, const TTaps& xTaps, int width, float* out)
{
    for (int x = 0; x < width; ++x) {
        const std::uint32_t* from = line + xTaps.First[x];
        const float* weights = xTaps.Weights.data() + xTaps.Offset[x];
        float a = 0, red = 0, g = 0, b = 0;
        for (int k = 0; k < xTaps.Count[x]; ++k) {
            const std::uint32_t p = from[k];
            const float w = weights[k];
            a += w * float(p >> 24);
            red += w * float((p >> 16) & 0xFF);
            g += w * float((p >> 8) & 0xFF);
            b += w * float(p & 0xFF);
        }
        out[x * 4 + 0] = a;
        out[x * 4 + 1] = red;
        out[x * 4 + 2] = g;
        out[x * 4 + 3] = b;
    }
}

// Floats for the weighted rows. A small buffer is kept per thread: the skins'
// slices are resampled by the dozen, and a fresh buffer each time costs its
// page faults again.
class TRowBuffer {
public:
    explicit TRowBuffer(std::size_t count)
    {
        static thread_local std::vector<float> kept;
        constexpr std::size_t kKeep = std::size_t(1) << 18;  // 1 MiB of floats
        if (count <= kKeep) {
            if (kept.size() < count) kept.resize(count);
            data_ = kept.data();
        } else {
            own_.resize(count);
            data_ = own_.data();
        }
    }
    float* Data() { return data_; }

private:
    std::vector<float> own_;
    float* data_ = nullptr;
};

// The separable general path: rows first into floats, then columns. An axis
// whose length stays is passed through rather than weighted by ones, which
// gives the same pixels: the skins' slices mostly stretch along one axis.
QImage ResampleSeparable(const QImage& src, const QRect& r, int width, int height, TResampler kind)
{
    const TTaps xTaps = AxisTaps(r.width(), width, kind);
    const TTaps yTaps = AxisTaps(r.height(), height, kind);
    QImage dst(width, height, QImage::Format_ARGB32_Premultiplied);
    if (dst.isNull()) return dst;
    const auto sourceLine = [&](int y) {
        return reinterpret_cast<const std::uint32_t*>(src.constScanLine(r.top() + y)) + r.left();
    };
    if (yTaps.Identity) {
        // Row by row: no buffer of every weighted row.
        TRowBuffer sums(std::size_t(width) * 4);
        for (int y = 0; y < height; ++y) {
            WeighRow(sourceLine(y), xTaps, width, sums.Data());
            auto* out = reinterpret_cast<std::uint32_t*>(dst.scanLine(y));
            for (int x = 0; x < width; ++x) out[x] = PackPixel(sums.Data() + x * 4);
        }
        return dst;
    }
    TRowBuffer rows(std::size_t(r.height()) * width * 4 + std::size_t(width) * 4);
    float* const acc = rows.Data() + std::size_t(r.height()) * width * 4;
    for (int y = 0; y < r.height(); ++y) WeighRow(sourceLine(y), xTaps, width, rows.Data() + std::size_t(y) * width * 4);
    for (int y = 0; y < height; ++y) {
        std::fill(acc, acc + std::size_t(width) * 4, 0.0f);
        const float* weights = yTaps.Weights.data() + yTaps.Offset[y];
        for (int k = 0; k < yTaps.Count[y]; ++k) {
            const float w = weights[k];
            const float* row = rows.Data() + std::size_t(yTaps.First[y] + k) * width * 4;
            for (int i = 0; i < width * 4; ++i) acc[i] += w * row[i];
        }
        auto* out = reinterpret_cast<std::uint32_t*>(dst.scanLine(y));
        for (int x = 0; x < width; ++x) out[x] = PackPixel(acc + x * 4);
    }
    return dst;
}

// Draft reduction on both axes: per target row, the block's source rows are
// summed per column in two 16-bit lanes per channel pair, then the columns of each
// block are summed and divided. Block heights stay below 258 rows so lanes
// cannot overflow (checked by the caller).
QImage DraftReduce(const QImage& src, const QRect& r, int width, int height)
{
    QImage dst(width, height, QImage::Format_ARGB32_Premultiplied);
    if (dst.isNull()) return dst;
    const int sw = r.width(), sh = r.height();
    std::vector<int> xs(width + 1);
    for (int i = 0; i <= width; ++i) xs[i] = int(std::int64_t(i) * sw / width);
    std::vector<std::uint32_t> columnRB(sw), columnAG(sw);
    for (int dy = 0; dy < height; ++dy) {
        const int y0 = int(std::int64_t(dy) * sh / height);
        const int y1 = int(std::int64_t(dy + 1) * sh / height);
        std::fill(columnRB.begin(), columnRB.end(), 0u);
        std::fill(columnAG.begin(), columnAG.end(), 0u);
        std::uint32_t* rb = columnRB.data();
        std::uint32_t* ag = columnAG.data();
        for (int y = y0; y < y1; ++y) {
            const auto* line = reinterpret_cast<const std::uint32_t*>(src.constScanLine(r.top() + y)) + r.left();
            for (int x = 0; x < sw; ++x) {
                const std::uint32_t p = line[x];
                rb[x] += p & 0x00FF00FF;
                ag[x] += (p >> 8) & 0x00FF00FF;
            }
        }
        const std::uint32_t rows = std::uint32_t(y1 - y0);
        auto* out = reinterpret_cast<std::uint32_t*>(dst.scanLine(dy));
        for (int dx = 0; dx < width; ++dx) {
            std::uint32_t a = 0, red = 0, g = 0, b = 0;
            for (int x = xs[dx]; x < xs[dx + 1]; ++x) {
                b += rb[x] & 0xFFFF;
                red += rb[x] >> 16;
                g += ag[x] & 0xFFFF;
                a += ag[x] >> 16;
            }
            const std::uint32_t count = rows * std::uint32_t(xs[dx + 1] - xs[dx]);
            const std::uint32_t half = count / 2;
            out[dx] = (((a + half) / count) << 24) | (((red + half) / count) << 16) | (((g + half) / count) << 8) |
                      ((b + half) / count);
        }
    }
    return dst;
}

} // namespace

QImage ResampleImage(const QImage& src, QRect srcRect, int width, int height, TResampler kind)
{
    if (width <= 0 || height <= 0 || src.isNull()) return {};
    srcRect = srcRect.intersected(src.rect());
    if (srcRect.isEmpty()) return {};
    const QImage& source = src.format() == QImage::Format_ARGB32_Premultiplied
                               ? src
                               : src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (width == srcRect.width() && height == srcRect.height()) return source.copy(srcRect);
    const bool reduces = width <= srcRect.width() && height <= srcRect.height();
    if (kind == TResampler::rsDraft && reduces && srcRect.height() / height < 257)
        return DraftReduce(source, srcRect, width, height);
    return ResampleSeparable(source, srcRect, width, height, kind);
}
