// The icon readers against icoutils (icotool, wrestool) on the real icon files
// and Windows programs that the nsis package installs: the same images, sizes
// and pixels. Skipped where those tools or files are absent.

#include "platform/image/QV_IcoReader.h"
#include "platform/image/QV_PeIcons.h"
#include "platform/image/QV_PngCodec.h"

#include "support/QV_TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

namespace {

const QString kNsis = QStringLiteral("/usr/share/nsis");

bool HaveIcoutils()
{
    return !QStandardPaths::findExecutable(QStringLiteral("icotool")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("wrestool")).isEmpty();
}

QByteArray RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

QStringList Files(const QString& folder, const QStringList& patterns)
{
    QStringList files;
    for (const QString& name : QDir(folder).entryList(patterns, QDir::Files, QDir::Name)) files << folder + "/" + name;
    return files;
}

// The images icotool writes for an icon file, in directory order.
QStringList IcotoolImages(const QString& icon, const QString& into)
{
    QDir().mkpath(into);
    RunTool(QStringLiteral("icotool"), {QStringLiteral("-x"), QStringLiteral("-o"), into, icon});
    QStringList images = Files(into, {QStringLiteral("*.png")});
    const QRegularExpression index(QStringLiteral("_(\\d+)_\\d+x\\d+x\\d+\\.png$"));
    std::sort(images.begin(), images.end(), [&](const QString& a, const QString& b) {
        return index.match(a).captured(1).toInt() < index.match(b).captured(1).toInt();
    });
    return images;
}

struct TTally {
    int Files = 0, Images = 0, Pixels = 0;
};

// Colour channels may differ by one where the two premultiply a translucent pixel.
void ExpectSameImages(const TIconSet& set, const QStringList& expected, const QString& label, TTally& tally)
{
    SCOPED_TRACE(label.toStdString());
    ASSERT_TRUE(set.Ok()) << set.Error.toStdString();
    ASSERT_EQ(set.Entries.size(), std::size_t(expected.size()));
    ++tally.Files;
    for (int i = 0; i < expected.size(); ++i) {
        const TImageResult reference = LoadPngFile(expected[i]);
        const TIconResult ours = set.Decode(i);
        ASSERT_TRUE(reference.Ok() && ours.Ok()) << expected[i].toStdString();
        ASSERT_EQ(ours.Bitmap.Width(), reference.Bitmap.Width()) << i;
        ASSERT_EQ(ours.Bitmap.Height(), reference.Bitmap.Height()) << i;
        int differing = 0;
        for (int y = 0; y < ours.Bitmap.Height(); ++y) {
            for (int x = 0; x < ours.Bitmap.Width(); ++x) {
                const TColor32 a = ours.Bitmap.ScanLine(y)[x], b = reference.Bitmap.ScanLine(y)[x];
                const bool near = AlphaOf(a) == AlphaOf(b) && std::abs(RedOf(a) - RedOf(b)) <= 1
                                  && std::abs(GreenOf(a) - GreenOf(b)) <= 1 && std::abs(BlueOf(a) - BlueOf(b)) <= 1;
                differing += !near;
            }
        }
        EXPECT_EQ(differing, 0) << "image " << i;
        ++tally.Images;
        tally.Pixels += ours.Bitmap.Width() * ours.Bitmap.Height();
    }
}

TEST(IconCrossCheck, IconFilesAgreeWithIcotool)
{
    const QStringList icons = Files(kNsis + "/Contrib/Graphics/Icons", {QStringLiteral("*.ico")});
    if (!HaveIcoutils() || icons.isEmpty()) GTEST_SKIP() << "icoutils or the nsis icon files are not installed";
    TTestDir dir;
    TTally tally;
    for (int i = 0; i < icons.size(); ++i) {
        QString error;
        const TIconSet set = ReadIconDirectory(OpenFileSource(icons[i], error));
        ExpectSameImages(set, IcotoolImages(icons[i], dir.Sub(QString::number(i))), icons[i], tally);
    }
    std::cout << "icon files: " << tally.Files << " files, " << tally.Images << " images, " << tally.Pixels
              << " pixels agree with icotool\n";
}

TEST(IconCrossCheck, ProgramFilesAgreeWithWrestool)
{
    QStringList programs = Files(kNsis + "/Stubs", {QStringLiteral("*")});
    programs << Files(kNsis + "/Contrib/UIs", {QStringLiteral("*.exe")});
    for (const QString& folder : QDir(kNsis + "/Plugins").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        programs << Files(kNsis + "/Plugins/" + folder, {QStringLiteral("*.dll")});
    if (!HaveIcoutils() || programs.isEmpty()) GTEST_SKIP() << "icoutils or the nsis programs are not installed";
    TTestDir dir;
    TTally tally;
    int withoutIcons = 0;
    const QRegularExpression firstGroup(QStringLiteral("--type=14 --name=(\\S+) --language=(\\S+)"));
    for (int i = 0; i < programs.size(); ++i) {
        SCOPED_TRACE(programs[i].toStdString());
        QString error;
        const TIconSet set = ReadProgramIconGroup(OpenFileSource(programs[i], error));
        const auto group = firstGroup.match(QString::fromUtf8(RunTool(QStringLiteral("wrestool"),
                                                                  {QStringLiteral("-l"), QStringLiteral("-t14"), programs[i]})));
        if (!group.hasMatch()) {
            EXPECT_EQ(set.Error, QLatin1String(kNoIconResources));
            ++withoutIcons;
            continue;
        }
        QString name = group.captured(1);
        name.remove(QLatin1Char('\''));
        const QString icon = dir.Sub(QString::number(i) + ".ico");
        RunTool(QStringLiteral("wrestool"), {QStringLiteral("-x"), QStringLiteral("-t14"), "--name=" + name,
                                         "--language=" + group.captured(2), QStringLiteral("-o"), icon, programs[i]});
        ExpectSameImages(set, IcotoolImages(icon, dir.Sub(QString::number(i))), programs[i], tally);
    }
    std::cout << "programs: " << tally.Files << " icon groups (" << tally.Images << " images, " << tally.Pixels
              << " pixels) agree with wrestool; " << withoutIcons << " programs without icon group agree\n";
}

} // namespace
