// Runs with the threaded tests: the icon manager asks for system icons on its
// task threads.
#include "platform/desktop/QV_SystemIcons.h"

#include "platform/image/QV_PngCodec.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>
#include <vector>

namespace {

int OpaquePixels(const TBitmap32& bitmap)
{
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) count += AlphaOf(bitmap.ScanLine(y)[x]) == 0xFF;
    return count;
}

class SystemIcons : public ::testing::Test {
protected:
    void SetUp() override
    {
        text_ = dir_.WriteFile(QStringLiteral("notes.txt"), "Plain words.\n");
        folder_ = dir_.MakeDir(QStringLiteral("folder"));
        unknown_ = dir_.WriteFile(QStringLiteral("blob.qqzz"), QByteArray("\x01\x02\x00\xff\xfe\x00\x07", 7));
    }

    TTestDir dir_;
    QString text_, folder_, unknown_;
};

TEST_F(SystemIcons, NamesFollowTheContentType)
{
    EXPECT_TRUE(SystemIconNames(text_).contains(QStringLiteral("text-plain")));
    EXPECT_TRUE(SystemIconNames(folder_).contains(QStringLiteral("folder")));
    EXPECT_TRUE(SystemIconNames(unknown_).contains(QStringLiteral("application-octet-stream")));
    // A path that does not exist is known by its name alone.
    EXPECT_TRUE(SystemIconNames(dir_.Sub(QStringLiteral("absent.pdf"))).contains(QStringLiteral("application-pdf")));
}

TEST_F(SystemIcons, TextFolderAndUnknownFilesGetAnIcon)
{
    const QString fifo = dir_.Sub(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0); // must not block
    std::vector<TBitmap32> icons;
    for (const QString& path : {text_, folder_, unknown_, fifo}) {
        SCOPED_TRACE(path.toStdString());
        const TIconResult icon = LoadSystemIcon(path, 48);
        ASSERT_TRUE(icon.Ok()) << icon.Error.toStdString();
        EXPECT_EQ(icon.Width, 48);
        EXPECT_EQ(icon.Height, 48);
        EXPECT_GT(OpaquePixels(icon.Bitmap), 48 * 48 / 4);
        icons.push_back(icon.Bitmap);
    }
    EXPECT_NE(icons[0].Image(), icons[1].Image());
    EXPECT_NE(icons[0].Image(), icons[2].Image());
}

TEST_F(SystemIcons, RendersCentredWithProportionsKept)
{
    const QString wide = dir_.WriteFile(QStringLiteral("wide.svg"),
                                        "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 20 10' width='20' height='10'>"
                                        "<rect width='20' height='10' fill='#ff0000'/></svg>");
    TBitmap32 tall(4, 8);
    tall.Clear(0xFF0000FFu);
    const QString png = dir_.WriteFile(QStringLiteral("tall.png"), EncodePng(tall));

    const TIconResult svg = RenderIconFile(wide, 40);
    ASSERT_TRUE(svg.Ok());
    EXPECT_EQ(svg.Bitmap.Pixel(20, 2), 0u);
    EXPECT_EQ(svg.Bitmap.Pixel(0, 20), 0xFFFF0000u);
    EXPECT_EQ(svg.Bitmap.Pixel(39, 29), 0xFFFF0000u);
    EXPECT_EQ(svg.Bitmap.Pixel(20, 37), 0u);

    const TIconResult scaled = RenderIconFile(png, 32);
    ASSERT_TRUE(scaled.Ok());
    EXPECT_EQ(scaled.Width, 32);
    EXPECT_EQ(scaled.Bitmap.Pixel(2, 16), 0u);
    EXPECT_EQ(scaled.Bitmap.Pixel(16, 0), 0xFF0000FFu);
    EXPECT_EQ(scaled.Bitmap.Pixel(16, 31), 0xFF0000FFu);

    EXPECT_FALSE(RenderIconFile(dir_.WriteFile(QStringLiteral("bad.svg"), "<svg"), 32).Ok());
    EXPECT_FALSE(RenderIconFile(wide, 0).Ok());
}

TEST_F(SystemIcons, ConcurrentLookupsGiveTheSingleThreadedResult)
{
    const QStringList paths{text_, folder_, unknown_};
    std::vector<QImage> expected;
    for (const QString& path : paths) expected.push_back(LoadSystemIcon(path, 32).Bitmap.Image());
    std::vector<std::vector<QImage>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&paths, &result] {
            for (const QString& path : paths) result.push_back(LoadSystemIcon(path, 32).Bitmap.Image());
        });
    for (std::thread& t : threads) t.join();
    for (const auto& result : results) EXPECT_EQ(result, expected);
}

} // namespace
