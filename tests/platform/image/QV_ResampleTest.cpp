#include "platform/image/QV_Resample.h"

#include "platform/image/QV_Color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A gradient with noise and a few translucent pixels, premultiplied.
QImage Photo(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    std::uint32_t seed = 7;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            const auto r = std::uint8_t(std::clamp(x * 255 / w + noise, 0, 255));
            const auto g = std::uint8_t(std::clamp(y * 255 / h - noise, 0, 255));
            const auto b = std::uint8_t((x ^ y) & 0xFF);
            const std::uint8_t a = (x + y) % 7 == 0 ? 128 : 255;
            line[x] = Premultiply(Argb(a, r, g, b));
        }
    }
    return image;
}

// Exact area average of the premultiplied channels: each target pixel weighs
// every source pixel by the part of it that it covers.
std::vector<double> BoxReference(const QImage& src, int w, int h)
{
    std::vector<double> out(std::size_t(w) * h * 4);
    const double sx = double(src.width()) / w, sy = double(src.height()) / h;
    for (int ty = 0; ty < h; ++ty) {
        for (int tx = 0; tx < w; ++tx) {
            double acc[4] = {0, 0, 0, 0};
            for (int y = int(ty * sy); y < std::min(src.height(), int(std::ceil((ty + 1) * sy))); ++y) {
                const double cy = std::min((ty + 1) * sy, y + 1.0) - std::max(ty * sy, double(y));
                const auto* line = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
                for (int x = int(tx * sx); x < std::min(src.width(), int(std::ceil((tx + 1) * sx))); ++x) {
                    const double cx = std::min((tx + 1) * sx, x + 1.0) - std::max(tx * sx, double(x));
                    for (int c = 0; c < 4; ++c) acc[c] += cx * cy * ((line[x] >> (24 - 8 * c)) & 0xFF);
                }
            }
            for (int c = 0; c < 4; ++c) out[(std::size_t(ty) * w + tx) * 4 + c] = acc[c] / (sx * sy);
        }
    }
    return out;
}

struct TError {
    double Mean = 0, Max = 0;
};

TError Compare(const QImage& image, const std::vector<double>& reference)
{
    TError e;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 4; ++c) {
                const double d = std::abs(double((line[x] >> (24 - 8 * c)) & 0xFF) -
                                          reference[(std::size_t(y) * image.width() + x) * 4 + c]);
                e.Mean += d;
                e.Max = std::max(e.Max, d);
            }
    }
    e.Mean /= double(image.width()) * image.height() * 4;
    return e;
}

bool IsPremultiplied(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (RedOf(line[x]) > AlphaOf(line[x]) || GreenOf(line[x]) > AlphaOf(line[x]) ||
                BlueOf(line[x]) > AlphaOf(line[x]))
                return false;
    }
    return true;
}

} // namespace

TEST(Resample, ReductionsStayCloseToAnExactBoxFilter)
{
    struct {
        int sw, sh, w, h;
        TResampler kind;
        double maxMean, maxSingle;
    } const cases[] = {
        {1024, 768, 128, 96, TResampler::rsDraft, 0.51, 0.51}, // whole blocks: exact up to rounding
        {100, 100, 33, 17, TResampler::rsDraft, 3.0, 40.0},   // block edges rounded to pixels
        {100, 100, 33, 17, TResampler::rsSmooth, 0.51, 1.0},
        {640, 480, 129, 7, TResampler::rsSmooth, 0.51, 1.0},
        {640, 480, 129, 7, TResampler::rsDraft, 3.0, 40.0},
    };
    for (const auto& c : cases) {
        const QImage src = Photo(c.sw, c.sh);
        const QImage out = ResampleImage(src, src.rect(), c.w, c.h, c.kind);
        ASSERT_EQ(out.size(), QSize(c.w, c.h));
        const TError e = Compare(out, BoxReference(src, c.w, c.h));
        EXPECT_LE(e.Mean, c.maxMean) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
        EXPECT_LE(e.Max, c.maxSingle) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
        EXPECT_TRUE(IsPremultiplied(out));
    }
}

TEST(Resample, EnlargingInterpolatesBetweenNeighbours)
{
    QImage src(2, 1, QImage::Format_ARGB32_Premultiplied);
    src.setPixel(0, 0, 0xFF000000);
    src.setPixel(1, 0, 0xFFFF0000);
    for (TResampler kind : {TResampler::rsDraft, TResampler::rsSmooth}) {
        const QImage out = ResampleImage(src, src.rect(), 8, 3, kind);
        ASSERT_EQ(out.size(), QSize(8, 3));
        EXPECT_EQ(out.pixel(0, 1), 0xFF000000u);
        EXPECT_EQ(out.pixel(7, 1), 0xFFFF0000u);
        for (int x = 1; x < 8; ++x) EXPECT_GE(qRed(out.pixel(x, 0)), qRed(out.pixel(x - 1, 0)));
    }
}

TEST(Resample, NeverReadsOutsideTheSourceRectangle)
{
    QImage src(6, 6, QImage::Format_ARGB32_Premultiplied);
    src.fill(0xFFFFFFFF);
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 4; ++x) src.setPixel(x, y, 0xFF000000);
    for (TResampler kind : {TResampler::rsDraft, TResampler::rsSmooth})
        for (QSize size : {QSize(1, 1), QSize(9, 5), QSize(2, 7)}) {
            const QImage out = ResampleImage(src, QRect(2, 2, 2, 2), size.width(), size.height(), kind);
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x) ASSERT_EQ(out.pixel(x, y), 0xFF000000u);
        }
}

TEST(Resample, DegenerateRequestsGiveANullImage)
{
    const QImage src = Photo(4, 4);
    EXPECT_TRUE(ResampleImage(src, src.rect(), 0, 3, TResampler::rsDraft).isNull());
    EXPECT_TRUE(ResampleImage(src, QRect(8, 8, 2, 2), 3, 3, TResampler::rsDraft).isNull());
    EXPECT_TRUE(ResampleImage(QImage(), QRect(0, 0, 2, 2), 3, 3, TResampler::rsDraft).isNull());
    EXPECT_EQ(ResampleImage(src, src.rect(), 4, 4, TResampler::rsSmooth), src);
}

TEST(Resample, TallReductionsBeyondTheFastPathStillAverage)
{
    // 600 rows into 2: blocks of 300 rows take the general path.
    QImage src(2, 600, QImage::Format_ARGB32_Premultiplied);
    src.fill(0xFF808080);
    const QImage out = ResampleImage(src, src.rect(), 1, 2, TResampler::rsDraft);
    EXPECT_EQ(out.pixel(0, 0), 0xFF808080u);
    EXPECT_EQ(out.pixel(0, 1), 0xFF808080u);
}
