// The draft resampler shrinking a 1024x768 picture to fit 128x128, against Qt's
// smooth scaling of the same picture, with both results' error against an exact
// box filter.
#include "QV_BenchSupport.h"

#include "platform/image/QV_Bitmap32.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

TBitmap32 Photo()
{
    TBitmap32 b(1024, 768);
    std::uint32_t seed = 3;
    for (int y = 0; y < b.Height(); ++y) {
        std::uint32_t* line = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16;
            auto clamp = [](int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            const std::uint8_t alpha = (x / 64 + y / 64) % 5 == 0 ? 160 : 255;
            line[x] = Premultiply(Argb(alpha, clamp(x / 4 + noise), clamp(y / 3 - noise), clamp((x ^ y) & 0xFF)));
        }
    }
    return b;
}

// Mean absolute difference per channel from the exact area average (8 x 8 blocks here).
double BoxError(const QImage& src, const QImage& out)
{
    const int bx = src.width() / out.width(), by = src.height() / out.height();
    double error = 0;
    for (int ty = 0; ty < out.height(); ++ty)
        for (int tx = 0; tx < out.width(); ++tx) {
            double acc[4] = {0, 0, 0, 0};
            for (int y = ty * by; y < (ty + 1) * by; ++y) {
                const auto* line = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
                for (int x = tx * bx; x < (tx + 1) * bx; ++x)
                    for (int c = 0; c < 4; ++c) acc[c] += (line[x] >> (8 * c)) & 0xFF;
            }
            const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(out.constScanLine(ty))[tx];
            for (int c = 0; c < 4; ++c) error += std::abs(acc[c] / (bx * by) - double((p >> (8 * c)) & 0xFF));
        }
    return error / (double(out.width()) * out.height() * 4);
}

} // namespace

int main()
{
    const TBitmap32 photo = Photo();
    // Fitting 1024 x 768 into 128 x 128 keeps the proportions: 128 x 96.
    const int w = 128, h = 96;
    std::size_t sink = 0;
    auto draft = [&] { sink += std::size_t(photo.Resampled(w, h, TResampler::rsDraft).Width()); };
    auto qt = [&] {
        sink += std::size_t(photo.Image().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).width());
    };
    draft(), qt();
    std::vector<double> figure, reference;
    for (int round = 0; round < 5; ++round) {
        figure.push_back(MedianMicros(21, draft));
        reference.push_back(MedianMicros(21, qt));
    }
    std::sort(figure.begin(), figure.end());
    std::sort(reference.begin(), reference.end());
    PrintResult("draft_resample", figure[2], reference[2], "us", 1.0);

    const QImage ours = photo.Resampled(w, h, TResampler::rsDraft).Image();
    const QImage theirs = photo.Image().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::printf("mean absolute error against a box filter (per channel, 0-255): draft %.3f, Qt smooth %.3f\n",
                BoxError(photo.Image(), ours), BoxError(photo.Image(), theirs));
    PrintFigure("draft_resample_box_error", BoxError(photo.Image(), ours), "");
    return sink == 0;
}
