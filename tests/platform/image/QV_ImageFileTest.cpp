#include "platform/image/QV_ImageFile.h"

#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(ImageFile, SizeLimitsApplyPerSideAndToTheArea)
{
    struct {
        std::int64_t w, h;
        bool ok;
    } const cases[] = {
        {1, 1, true},          {16384, 4096, true}, {8192, 8192, true}, {16385, 1, false},
        {1, 16385, false},     {8193, 8192, false}, {0, 5, false},      {5, -1, false},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckImageSize(c.w, c.h).isEmpty(), c.ok) << c.w << "x" << c.h;
}

TEST(ImageFile, ReadsOnlyRegularFilesWithinTheCap)
{
    TTestDir dir;
    QByteArray data;
    const QString file = dir.WriteFile(QStringLiteral("pic\u00e9.png"), QByteArray("0123456789"));
    EXPECT_TRUE(ReadPictureFile(file, data).isEmpty());
    EXPECT_EQ(data, QByteArray("0123456789"));

    EXPECT_FALSE(ReadPictureFile(file, data, 9).isEmpty());
    EXPECT_TRUE(data.isEmpty());
    EXPECT_FALSE(ReadPictureFile(dir.Sub(QStringLiteral("missing.jpg")), data).isEmpty());
    EXPECT_FALSE(ReadPictureFile(dir.MakeDir(QStringLiteral("folder.jpg")), data).isEmpty());

    // A FIFO named like a picture must not block the reader.
    const QString fifo = dir.Sub(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(EncodeFileName(fifo).constData(), 0600), 0);
    EXPECT_EQ(ReadPictureFile(fifo, data), QStringLiteral("Not a regular file"));
}

TEST(ImageFile, FailedResultsThrowWhenTaken)
{
    EXPECT_THROW(TakeBitmapOrThrow(TImageResult::Failure(QStringLiteral("Invalid PNG image: x"))), EImageError);
    try {
        TakeBitmapOrThrow(TImageResult::Failure(QStringLiteral("broken")));
    } catch (const EImageError& e) {
        EXPECT_EQ(e.Message, QStringLiteral("broken"));
    }
    EXPECT_EQ(TakeBitmapOrThrow({TBitmap32(2, 3), {}}).Height(), 3);
}
