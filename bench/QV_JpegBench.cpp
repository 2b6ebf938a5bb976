// Quarter-size JPEG decoding into TBitmap32 against a plain libjpeg-turbo loop
// with the same settings, on the same generated photographs.
#include "QV_BenchPhotos.h"
#include "QV_BenchSupport.h"

#include "platform/image/QV_JpegCodec.h"

#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    std::vector<QByteArray> files;
    for (int i = 0; i < 4; ++i) files.push_back(EncodeJpeg(BenchPhoto(i), 85));

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
