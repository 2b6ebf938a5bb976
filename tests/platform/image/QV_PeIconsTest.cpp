#include "platform/image/QV_PeIcons.h"

#include "QV_IconFixtures.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::vector<TIcoImage> kImages{
    {16, 16, 4, SolidImage(16, 16, 4, 0xFF000010u)},
    {32, 32, 32, SolidImage(32, 32, 32, 0xFF000032u)},
    {256, 256, 32, SolidImage(256, 256, 0, 0xFF000100u)},
};

TEST(PeIcons, DecodesTheChosenImageOfPe32AndPe32Plus)
{
    for (TPeKind kind : {TPeKind::pkPe32, TPeKind::pkPe32Plus}) {
        SCOPED_TRACE(kind == TPeKind::pkPe32 ? "PE32" : "PE32+");
        const QByteArray program = ProgramFile(IconResources(kImages), kind);
        const TIconSet set = ReadProgramIconGroup(MemorySource(program));
        ASSERT_TRUE(set.Ok()) << set.Error.toStdString();
        ASSERT_EQ(set.Entries.size(), 3u);
        EXPECT_EQ(set.Entries[2].Width, 256);

        const TIconResult small = DecodeProgramIcon(program, 20);
        ASSERT_TRUE(small.Ok());
        EXPECT_EQ(small.Width, 32);
        EXPECT_EQ(small.Bitmap.Pixel(31, 31), 0xFF000032u);
        const TIconResult large = DecodeProgramIcon(program, 256);
        EXPECT_TRUE(large.IsPng);
        EXPECT_EQ(large.Png, kImages[2].Stored);
        EXPECT_EQ(large.Bitmap.Pixel(0, 0), 0xFF000100u);
    }
}

TEST(PeIcons, TakesTheFirstGroupAsStored)
{
    // Named groups come before numbered ones in a resource directory, so a named
    // group is at index 0 even when numbered ones exist.
    std::vector<TResource> resources{
        {14, 0, QStringLiteral("MAINICON"), IconGroup({kImages[0]}, 7)},
        {14, 2, {}, IconGroup({kImages[1]}, 8)},
        {3, 8, {}, kImages[1].Stored},
        {3, 7, {}, kImages[0].Stored},
    };
    TIconResult result = DecodeProgramIcon(ProgramFile(resources), 32);
    ASSERT_TRUE(result.Ok()) << result.Error.toStdString();
    EXPECT_EQ(result.Bitmap.Pixel(0, 0), 0xFF000010u);

    resources.erase(resources.begin());
    result = DecodeProgramIcon(ProgramFile(resources), 32);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.Bitmap.Pixel(0, 0), 0xFF000032u);
}

TEST(PeIcons, ImagesTheFileLacksAreLeftOut)
{
    std::vector<TResource> resources = IconResources(kImages);
    resources.pop_back(); // icon 3, the PNG
    const TIconSet set = ReadProgramIconGroup(MemorySource(ProgramFile(resources)));
    ASSERT_TRUE(set.Ok());
    ASSERT_EQ(set.Entries.size(), 2u);
    EXPECT_EQ(set.DecodeBest(256).Width, 32);
}

TEST(PeIcons, ProgramsWithoutIconsTellThatApartFromDamage)
{
    const QByteArray good = ProgramFile(IconResources(kImages));
    const QByteArray noMz = QByteArray("ZM") + good.mid(2);
    QByteArray noPe = good;
    noPe[0x40] = 'X';
    QByteArray badMagic = good;
    PatchU32(badMagic, 0x40 + 24, 0x107);
    QByteArray tooManySections = good;
    tooManySections[0x40 + 6] = char(200);

    std::vector<TResource> badCount = IconResources(kImages);
    badCount[0].Data[4] = 9; // nine images, three entries
    std::vector<TResource> badType = IconResources(kImages);
    badType[0].Data[2] = 2;
    std::vector<TResource> noImages = IconResources(kImages);
    noImages.resize(1);
    std::vector<TResource> damagedImage = IconResources({kImages[1]});
    damagedImage[1].Data.truncate(100);
    QByteArray groupLoop = good; // the group type's directory is the root again
    PatchU32(groupLoop, kResourceOffset + 16 + 4, 0x80000000u);
    QByteArray everythingLoops = good;
    for (qsizetype at = kResourceOffset; at + 4 <= everythingLoops.size(); at += 4)
        if (quint8(everythingLoops[at + 3]) == 0x80) PatchU32(everythingLoops, at, 0x80000000u);

    struct TCase {
        const char* Name;
        QByteArray Bytes;
        const char* Error;
    } cases[] = {
        {"empty", {}, kNoIconResources},
        {"an icon file", IcoFile(kImages), kNoIconResources},
        {"no MZ", noMz, kNoIconResources},
        {"no PE signature", noPe, kNoIconResources},
        {"unknown optional header", badMagic, kNoIconResources},
        {"more sections than a loader takes", tooManySections, kNoIconResources},
        {"headers cut short", good.left(0x100), kNoIconResources},
        {"no resources", ProgramFile({}), kNoIconResources},
        {"resources without icons", ProgramFile({{6, 1, {}, "strings"}}), kNoIconResources},
        {"images without group", ProgramFile({{3, 1, {}, kImages[0].Stored}}), kNoIconResources},
        {"group counts more than it holds", ProgramFile(badCount), kInvalidIconFormat},
        {"group of cursors", ProgramFile(badType), kInvalidIconFormat},
        {"group without images", ProgramFile(noImages), kInvalidIconFormat},
        {"damaged image", ProgramFile(damagedImage), kInvalidIconFormat},
        {"group directory loops to the root", groupLoop, kInvalidIconFormat},
        {"every directory is the root", everythingLoops, kInvalidIconFormat},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DecodeProgramIcon(c.Bytes, 32).Error, QLatin1String(c.Error));
    }
}

TEST(PeIcons, EveryTruncationFailsCleanly)
{
    const QByteArray program = ProgramFile(IconResources({kImages[1]}), TPeKind::pkPe32Plus);
    for (qsizetype length = 0; length < program.size(); length += 3) {
        const TIconResult result = DecodeProgramIcon(program.left(length), 32);
        // The section's padding is all that may go without harm.
        if (result.Ok()) {
            EXPECT_GT(length, program.size() - 0x200) << length;
        }
    }
}

TEST(PeIcons, LoadsProgramFiles)
{
    TTestDir dir;
    const QString path = dir.WriteFile(QStringLiteral("tool.exe"), ProgramFile(IconResources(kImages)));
    const TIconResult loaded = LoadProgramIcon(path, 16);
    ASSERT_TRUE(loaded.Ok());
    EXPECT_EQ(loaded.Width, 16);
    EXPECT_EQ(loaded.Bitmap.Pixel(15, 0), 0xFF000010u);

    const TIconResult missing = LoadProgramIcon(dir.Sub(QStringLiteral("missing.exe")), 16);
    EXPECT_FALSE(missing.Ok());
    EXPECT_NE(missing.Error, QLatin1String(kNoIconResources));
    EXPECT_NE(missing.Error, QLatin1String(kInvalidIconFormat));
}

} // namespace
