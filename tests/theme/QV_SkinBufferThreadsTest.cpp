#include "theme/QV_SkinBuffer.h"

#include "platform/image/QV_PngCodec.h"
#include "support/QV_PaintTestSupport.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// Workers reload an icon from two files of different colours and sizes and add
// new entries while the interface thread keeps painting the icon at changing
// sizes: every painted picture is one whole rendition of one of the two files.
TEST(SkinBufferThreads, LoadingWhilePaintingShowsOnlyWholePictures)
{
    TTestDir dir;
    constexpr TColor32 kRed = 0xFFFF0000;
    constexpr TColor32 kBlue = 0xFF0000FF;
    const QString red = dir.WriteFile("red.png", EncodePng(Filled(6, 6, kRed)));
    const QString blue = dir.WriteFile("blue.png", EncodePng(Filled(9, 9, kBlue)));

    TSkinBuffer skin;
    skin.LoadImage("Icon", red, TResizeParams{rmStretch});

    std::atomic<bool> stop{false};
    std::atomic<int> loads[2] = {0, 0};
    auto loader = [&](int worker) {
        for (int i = 0; !stop; ++i) {
            skin.LoadImage("Icon", i % 2 ? blue : red, TResizeParams{rmStretch});
            if (i < 50) skin.LoadImage(QStringLiteral("Extra%1.%2").arg(worker).arg(i), red, TResizeParams{rmFull});
            ++loads[worker - 1];
        }
    };
    std::thread first(loader, 1);
    std::thread second(loader, 2);

    TSkinBuffer copies;
    int frames = 0;
    while (frames < 400 || loads[0] < 60 || loads[1] < 60) {
        const int size = 10 + frames % 7;
        TBitmap32 canvas(20, 20);
        skin.DrawImage("Icon", canvas, 0, 0, size, size);
        TBitmap32 extra(8, 8);
        skin.DrawImage("Extra1.3", extra, 0, 0, 4 + frames % 3, 4);
        // Whatever was drawn is one colour, fully covering a square from the corner.
        const TColor32 corner = canvas.Pixel(0, 0);
        if (corner != 0) {
            ASSERT_TRUE(corner == kRed || corner == kBlue) << std::hex << corner;
            int w = 0;
            while (w < 20 && canvas.Pixel(w, 0) == corner) ++w;
            for (int y = 0; y < w; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(canvas.Pixel(x, y), corner) << x << "," << y;
        }
        copies.CopyImageData(skin, "Icon");
        ++frames;
    }
    stop = true;
    first.join();
    second.join();

    EXPECT_EQ(skin.ImageCount(), 101);
    TImageDataPtr entry;
    ASSERT_TRUE(skin.GetImageData("Icon", entry));
    EXPECT_FALSE(entry->IMD_LOADING);
    EXPECT_FALSE(entry->IMD_INPROGRESS);
    EXPECT_EQ(copies.ImageCount(), frames);
}
