// Quarter-size JPEG decoding into TBitmap32 against a plain libjpeg-turbo loop
// with the same settings, on the same generated photographs.
#include "QV_BenchSupport.h"

#include "platform/QV_JpegCodec.h"

#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Smooth gradients, a few soft discs and sensor-like noise: compresses like a photo.
TBitmap32 Photo(int seedBase)
{
    TBitmap32 b(1024, 768);
    std::uint32_t seed = std::uint32_t(seedBase) * 7919u + 1;
    for (int y = 0; y < b.Height(); ++y) {
        std::uint32_t* line = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16;
            const int dx = x - 300 - seedBase * 90, dy = y - 380;
            const int disc = dx * dx + dy * dy < 160 * 160 ? 60 : 0;
            auto clamp = [](int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            line[x] = Argb(255, clamp(x / 5 + disc + noise), clamp(y / 4 + noise), clamp(200 - x / 8 + disc / 2 + noise));
        }
    }
    return b;
}

// The reference: what a program would write against libjpeg-turbo directly.
std::size_t PlainQuarterDecode(const QByteArray& file, std::vector<unsigned char>& pixels)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.constData()), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 4;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t(info.output_width) * 3;
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels.size();
}

} // namespace

int main()
{
    std::vector<QByteArray> files;
    for (int i = 0; i < 4; ++i) files.push_back(EncodeJpeg(Photo(i), 85));

    std::vector<unsigned char> buffer;
    std::size_t sink = 0;
    auto ours = [&] {
        for (const QByteArray& file : files) sink += std::size_t(DecodeJpegQuarter(file).Bitmap.Width());
    };
    auto plain = [&] {
        for (const QByteArray& file : files) sink += PlainQuarterDecode(file, buffer);
    };
    ours(), plain(); // warm caches and allocators
    // Alternating rounds keep both sides under the same machine load.
    std::vector<double> figure, reference;
    for (int round = 0; round < 5; ++round) {
        figure.push_back(MedianMicros(15, ours));
        reference.push_back(MedianMicros(15, plain));
    }
    std::sort(figure.begin(), figure.end());
    std::sort(reference.begin(), reference.end());
    const double perFile = 1.0 / double(files.size());
    std::printf("files: %zu photos 1024x768, %.0f KiB each on average\n", files.size(),
                double(files[0].size() + files[1].size() + files[2].size() + files[3].size()) / 4096.0);
    PrintResult("jpeg_quarter_decode", figure[2] * perFile, reference[2] * perFile, "us", 1.15);
    return sink == 0;
}
