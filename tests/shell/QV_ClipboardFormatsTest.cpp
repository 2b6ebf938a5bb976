#include "shell/QV_ClipboardFormats.h"

#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

TClipFormats Only(const TClipFormats& all, const QStringList& keep)
{
    TClipFormats some;
    for (const auto& format : all)
        if (keep.contains(format.first)) some.push_back(format);
    return some;
}

}  // namespace

// Any byte but NUL and "/" may be in a name; each format alone brings the paths back.
TEST(ClipboardFormats, EveryFormatRoundTripsOddPathsByteExact)
{
    QByteArray every;
    for (int b = 1; b < 256; ++b)
        if (b != '/') every.append(char(b));
    const QStringList paths = {DecodeFileName(QByteArray("/tmp/") + every), QStringLiteral("/a b/100%/x#y?z"),
                               DecodeFileName(QByteArray("/caf\xe9/\xff\xfe"))};
    for (const bool cut : {false, true}) {
        const TClipFormats all = EncodeClipFiles({cut, paths});
        for (const QString& format : {QStringLiteral("x-special/gnome-copied-files"), QStringLiteral("text/uri-list")}) {
            SCOPED_TRACE(format.toStdString());
            TClipFormats some = Only(all, {format, QStringLiteral("application/x-kde-cutselection")});
            const TClipFiles back = DecodeClipFiles(some);
            ASSERT_EQ(back.Paths.size(), 3);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(EncodeFileName(back.Paths[i]), EncodeFileName(paths[i]));
            EXPECT_EQ(back.Cut, cut);
        }
    }
}

TEST(ClipboardFormats, ReadsWhatOtherProgramsWrite)
{
    struct TCase {
        const char* Mime;
        QByteArray Data;
        bool Cut;
        QStringList Paths;
    };
    const TCase cases[] = {
        {"x-special/gnome-copied-files", "cut\nfile:///home/u/a%20b\nfile:///c", true, {"/home/u/a b", "/c"}},
        {"text/uri-list", "# comment\r\nfile:///x\r\nhttp://host/y\r\nfile://localhost/z\r\n", false, {"/x", "/z"}},
        {"text/plain", "x-special/nautilus-clipboard\ncut\nfile:///old/form\n", true, {"/old/form"}},
        {"text/plain", "copy\nfile:///older\n", false, {"/older"}},
        {"text/plain", "/one path\n/two\n", false, {"/one path", "/two"}},
        {"text/plain", "just some words", false, {}},
        {"text/uri-list", "file:///bad%zz\nfile://otherhost/p\nfile:///nul%00\nfile:///ok", false, {"/ok"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Data.toStdString());
        const TClipFiles files = DecodeClipFiles({{QString::fromLatin1(c.Mime), c.Data}});
        EXPECT_EQ(files.Paths, c.Paths);
        if (!c.Paths.isEmpty()) {
            EXPECT_EQ(files.Cut, c.Cut);
        }
    }
    // The KDE cut mark goes with a plain URI list.
    const TClipFiles kde = DecodeClipFiles(
        {{"text/uri-list", "file:///k"}, {"application/x-kde-cutselection", "1"}});
    EXPECT_TRUE(kde.Cut);
}

TEST(ClipboardFormats, HundredThousandUrisDecode)
{
    QByteArray many;
    for (int i = 0; i < 100000; ++i) many += "file:///data/file%20" + QByteArray::number(i) + "\r\n";
    EXPECT_EQ(DecodeClipFiles({{"text/uri-list", many}}).Paths.size(), 100000);
}
