#include "QV_BenchPhotos.h"

#include <cstdint>
#include <cstdio>
#include <jpeglib.h>

// Smooth gradients, a few soft discs and sensor-like noise: compresses like a photo.
TBitmap32 BenchPhoto(int seedBase)
{
    TBitmap32 b(1024, 768);
    std::uint32_t seed = std::uint32_t(seedBase) * 7919u + 1;
    for (int y = 0; y < b.Height(); ++y) {
        std::uint32_t* line = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16;
            const int dx = x - 300 - (seedBase % 4) * 90, dy = y - 380;
            const int disc = dx * dx + dy * dy < 160 * 160 ? 60 : 0;
            auto clamp = [](int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            line[x] = Argb(255, clamp(x / 5 + disc + noise), clamp(y / 4 + noise), clamp(200 - x / 8 + disc / 2 + noise));
        }
    }
    return b;
}

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
