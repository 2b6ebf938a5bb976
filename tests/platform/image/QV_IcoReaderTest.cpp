#include "platform/image/QV_IcoReader.h"

#include "QV_IconFixtures.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Each image one colour, so the colour tells which was chosen.
const std::vector<TIcoImage> kImages{
    {16, 16, 4, SolidImage(16, 16, 4, 0xFF000010u)},
    {32, 32, 8, SolidImage(32, 32, 8, 0xFF000020u)},
    {32, 32, 32, SolidImage(32, 32, 32, 0xFF000032u)},
    {48, 48, 24, SolidImage(48, 48, 24, 0xFF000048u)},
    {256, 256, 32, SolidImage(256, 256, 0, 0xFF000100u)},
};

TEST(IcoReader, ReadsTheDirectory)
{
    const TIconSet set = ReadIconDirectory(MemorySource(IcoFile(kImages)));
    ASSERT_TRUE(set.Ok());
    ASSERT_EQ(set.Entries.size(), kImages.size());
    for (std::size_t i = 0; i < kImages.size(); ++i) {
        EXPECT_EQ(set.Entries[i].Width, kImages[i].Width);
        EXPECT_EQ(set.Entries[i].Height, kImages[i].Height);
        EXPECT_EQ(set.Entries[i].BitCount, kImages[i].BitCount);
        EXPECT_EQ(set.Entries[i].Size, std::uint64_t(kImages[i].Stored.size()));
    }
}

TEST(IcoReader, DecodesTheImageChosenForTheSize)
{
    const QByteArray file = IcoFile(kImages);
    struct TCase {
        int Desired;
        TColor32 Colour;
        int Side;
        bool Png;
    } cases[] = {
        {16, 0xFF000010u, 16, false},
        {24, 0xFF000032u, 32, false},
        {48, 0xFF000048u, 48, false},
        {128, 0xFF000100u, 256, true},
        {512, 0xFF000100u, 256, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Desired);
        const TIconResult result = DecodeIcon(file, c.Desired);
        ASSERT_TRUE(result.Ok()) << result.Error.toStdString();
        EXPECT_EQ(result.Width, c.Side);
        EXPECT_EQ(result.Height, c.Side);
        EXPECT_EQ(result.IsPng, c.Png);
        EXPECT_EQ(result.Png.isEmpty(), !c.Png);
        EXPECT_EQ(result.Bitmap.Pixel(c.Side - 1, 0), c.Colour);
    }
}

TEST(IcoReader, DepthComesFromTheImageWhenTheDirectoryOmitsIt)
{
    // Old writers leave the directory's depth at 0; the deeper image still wins.
    const TIconSet set = ReadIconDirectory(MemorySource(IcoFile({
        {32, 32, 0, SolidImage(32, 32, 4, 0xFF000004u)},
        {32, 32, 0, SolidImage(32, 32, 0, 0xFF000032u)},
        {32, 32, 0, SolidImage(32, 32, 24, 0xFF000024u)},
    })));
    ASSERT_TRUE(set.Ok());
    EXPECT_EQ(set.Entries[0].BitCount, 4);
    EXPECT_EQ(set.Entries[1].BitCount, 32);
    EXPECT_EQ(set.Entries[2].BitCount, 24);
    EXPECT_EQ(set.DecodeBest(32).Bitmap.Pixel(0, 0), 0xFF000032u);
}

TEST(IcoReader, StatedSizePastTheEndStillDecodes)
{
    QByteArray file = IcoFile({{16, 16, 8, SolidImage(16, 16, 8, 0xFF123456u)}});
    PatchU32(file, 6 + 8, 1 << 20);
    const TIconResult result = DecodeIcon(file, 16);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.Bitmap.Pixel(3, 3), 0xFF123456u);
}

TEST(IcoReader, DamagedDirectoriesAreInvalidIconFormat)
{
    const QByteArray good = IcoFile(kImages);
    auto patched16 = [&](qsizetype at, int value) {
        QByteArray bytes = good;
        bytes[at] = char(value & 0xFF), bytes[at + 1] = char(value >> 8);
        return bytes;
    };
    QByteArray offsetsPastEnd = good;
    for (std::size_t i = 0; i < kImages.size(); ++i) PatchU32(offsetsPastEnd, 6 + 16 * qsizetype(i) + 12, std::uint32_t(good.size()));
    QByteArray hugeImage = IcoFile({{16, 16, 8, SolidImage(16, 16, 8, 0xFF000000u)}});
    PatchU32(hugeImage, 6 + 16 + 4, 30000); // the bitmap's own width
    struct TCase {
        const char* Name;
        QByteArray Bytes;
    } cases[] = {
        {"empty", {}},
        {"header only", good.left(6)},
        {"directory cut short", good.left(6 + 16 * 2 + 5)},
        {"reserved field set", patched16(0, 1)},
        {"a cursor", patched16(2, 2)},
        {"no images", patched16(4, 0)},
        {"more images than the file holds", patched16(4, 4000)},
        {"every image past the end", offsetsPastEnd},
        {"image cut short", good.left(good.size() - 300)},
        {"an image of 30000 x 16", hugeImage},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DecodeIcon(c.Bytes, 256).Error, QLatin1String(kInvalidIconFormat));
    }
}

TEST(IcoReader, EveryTruncationFailsCleanly)
{
    const QByteArray file = IcoFile({kImages[1]}); // its mask is needed too
    for (qsizetype length = 0; length < file.size(); ++length)
        ASSERT_EQ(DecodeIcon(file.left(length), 32).Error, QLatin1String(kInvalidIconFormat)) << length;
}

TEST(IcoReader, LoadsFilesAndTellsReadErrorsApart)
{
    TTestDir dir;
    const QString icon = dir.WriteFile(QStringLiteral("app.ico"), IcoFile(kImages));
    const TIconResult loaded = LoadIconFile(icon, 48);
    ASSERT_TRUE(loaded.Ok());
    EXPECT_EQ(loaded.Width, 48);
    EXPECT_EQ(loaded.Bitmap.Pixel(0, 47), 0xFF000048u);

    const QString fifo = dir.Sub(QStringLiteral("pipe.ico"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& path : {fifo, dir.Sub(QStringLiteral("missing.ico")), dir.Path()}) {
        const TIconResult failed = LoadIconFile(path, 48);
        EXPECT_FALSE(failed.Ok()) << path.toStdString();
        EXPECT_NE(failed.Error, QLatin1String(kInvalidIconFormat));
    }
}

} // namespace
