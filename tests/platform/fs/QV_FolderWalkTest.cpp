#include "platform/fs/QV_FolderWalk.h"

#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

// Every folder a walk collects, as paths below base ("" for base itself).
QStringList Collected(TFolderWalk& walk, const QString& base)
{
    EXPECT_TRUE(walk.Collect({}));
    QStringList folders;
    for (int i = 0; i < walk.FolderCount(); ++i) {
        QString path = walk.FolderPath(i);
        folders << (path.startsWith(base + '/') ? path.mid(base.size() + 1) : path);
    }
    return folders;
}

QStringList NamesIn(TFolderWalk& walk, int folder)
{
    QStringList names;
    walk.Scan(folder, [&](const TWalkName& name) {
        names << DecodeFileName(name.Bytes, qsizetype(name.Length));
        return true;
    });
    names.sort();
    return names;
}

// Root passes every permission check, so a check of what permissions refuse
// runs as root in a child process that has become the unprivileged "nobody".
bool RunUnprivileged(const std::function<bool()>& check)
{
    if (::geteuid() != 0) return check();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        if (!dropped) std::fputs("could not become nobody\n", stderr);
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(FolderWalk, CollectsDepthFirstWithoutFollowingLinks)
{
    TTestDir dir;
    dir.MakeDir("a/a1/a11");
    dir.MakeDir("a/a2");
    dir.MakeDir("b");
    dir.WriteFile("b/file", "");
    // A loop back to the top and a link to a folder elsewhere: neither is entered.
    ASSERT_EQ(::symlink("..", EncodeFileName(dir.Sub("a/a1/up")).constData()), 0);
    ASSERT_EQ(::symlink("/usr", EncodeFileName(dir.Sub("b/usr")).constData()), 0);

    TFolderWalk walk({dir.Path()});
    QStringList folders = Collected(walk, dir.Path());
    ASSERT_EQ(folders.size(), 6);
    EXPECT_EQ(folders[0], "");  // the start folder itself
    // Depth first: each folder comes before what lies below it, and a subtree
    // is finished before its sibling starts.
    const auto at = [&](const char* path) { return folders.indexOf(QString::fromLatin1(path) + '/'); };
    EXPECT_LT(at("a"), at("a/a1"));
    EXPECT_LT(at("a/a1"), at("a/a1/a11"));
    EXPECT_TRUE(at("b") < at("a") || at("b") > at("a/a2"));
    EXPECT_GE(at("a/a2"), 0);

    // The links are names like any other in the scan.
    EXPECT_EQ(NamesIn(walk, at("a/a1")), (QStringList{"a11", "up"}));
    EXPECT_EQ(NamesIn(walk, at("b")), (QStringList{"file", "usr"}));
}

TEST(FolderWalk, StartFoldersThatAreMissingOrFilesListNothing)
{
    TTestDir dir;
    const QString file = dir.WriteFile("plain", "x");
    TFolderWalk walk({dir.Sub("missing"), file, dir.Sub("missing")});
    ASSERT_TRUE(walk.Collect({}));
    ASSERT_EQ(walk.FolderCount(), 2);  // the same start twice counts once
    EXPECT_FALSE(walk.Scan(0, [](const TWalkName&) { return true; }));
    EXPECT_FALSE(walk.Scan(1, [](const TWalkName&) { return true; }));
}

TEST(FolderWalk, AStartInsideAnotherIsWalkedOnce)
{
    TTestDir dir;
    dir.MakeDir("top/inner/deep");
    TFolderWalk walk({dir.Sub("top"), dir.Sub("top/inner")});
    const QStringList folders = Collected(walk, dir.Path());
    EXPECT_EQ(folders, (QStringList{"top/", "top/inner/", "top/inner/deep/"}));
}

TEST(FolderWalk, ReadsTheEntryOfANameAndPassesOverOneThatVanished)
{
    TTestDir dir;
    dir.WriteFile("keep.txt", "12345");
    dir.WriteFile("gone.txt", "");
    dir.WriteFile(".hidden", "keep.txt\n");
    TFolderWalk walk({dir.Path()});
    ASSERT_TRUE(walk.Collect({}));
    int read = 0, vanished = 0;
    walk.Scan(0, [&](const TWalkName& name) {
        const QString text = QString::fromLatin1(name.Bytes);
        if (text == "gone.txt") QFile::remove(dir.Sub("gone.txt"));
        if (text == "keep.txt" || text == "gone.txt") {
            TDirEntry entry;
            if (walk.ReadEntry(name, entry)) {
                ++read;
                EXPECT_EQ(entry.Name, "keep.txt");
                EXPECT_EQ(entry.Size, 5);
                EXPECT_TRUE(entry.Is(faHidden));
            } else {
                ++vanished;
            }
        }
        return true;
    });
    EXPECT_EQ(read, 1);
    EXPECT_EQ(vanished, 1);
}

TEST(FolderWalk, WalksATreeDeeperThanThePathLimit)
{
    TTestDir dir;
    // 2,000 levels of 9-character names: a path of 20,000 bytes, five times the
    // limit of a single open.
    const QByteArray base = EncodeFileName(dir.Path());
    int fd = ::open(base.constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(::mkdirat(fd, "level_xyz", 0755), 0);
        const int next = ::openat(fd, "level_xyz", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    ASSERT_EQ(::close(::openat(fd, "bottom.txt", O_CREAT | O_WRONLY, 0644)), 0);
    ::close(fd);

    TFolderWalk walk({dir.Path()});
    ASSERT_TRUE(walk.Collect({}));
    ASSERT_EQ(walk.FolderCount(), 2001);
    EXPECT_EQ(NamesIn(walk, 2000), QStringList{"bottom.txt"});
    EXPECT_TRUE(walk.FolderPath(2000).endsWith("level_xyz/level_xyz/"));

    // QDir cannot remove what it cannot name in one path: the tree is taken
    // apart from the bottom up through "..".
    fd = ::open(base.constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 2000 && fd >= 0; ++i) {
        const int next = ::openat(fd, "level_xyz", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::unlinkat(fd, "bottom.txt", 0);
    for (int i = 0; i < 2000; ++i) {
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(parent, 0);
        ASSERT_EQ(::unlinkat(parent, "level_xyz", AT_REMOVEDIR), 0);
        fd = parent;
    }
    ::close(fd);
}

TEST(FolderWalk, SkipsFoldersItMayNotRead)
{
    TTestDir dir;
    dir.MakeDir("open/inner");
    dir.WriteFile("locked/secret.txt", "");
    dir.MakeDir("locked/sub");
    ASSERT_EQ(::chmod(EncodeFileName(dir.Path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(EncodeFileName(dir.Sub("locked")).constData(), 0), 0);
    const bool skipped = RunUnprivileged([&] {
        TFolderWalk walk({dir.Path()});
        if (!walk.Collect({})) return false;
        QStringList folders;
        for (int i = 0; i < walk.FolderCount(); ++i) folders << walk.FolderPath(i).mid(dir.Path().size() + 1);
        folders.sort();
        const int locked = int(folders.indexOf("locked/"));
        const bool ok = folders == QStringList({"", "locked/", "open/", "open/inner/"}) && locked >= 0;
        // The locked folder is collected (it is a folder) but lists nothing.
        int index = -1;
        for (int i = 0; i < walk.FolderCount(); ++i)
            if (walk.FolderPath(i).endsWith("/locked/")) index = i;
        const bool scanRefused = !walk.Scan(index, [](const TWalkName&) { return true; });
        if (!ok || !scanRefused) std::fprintf(stderr, "folders %s\n", qPrintable(folders.join(',')));
        return ok && scanRefused;
    });
    ::chmod(EncodeFileName(dir.Sub("locked")).constData(), 0755);
    EXPECT_TRUE(skipped);
}

TMountEntry Mount(const QString& point, const char* type)
{
    TMountEntry entry;
    entry.MountPoint = point;
    entry.FsType = QString::fromLatin1(type);
    return entry;
}

TEST(FolderWalk, StaysOutOfSystemAndRemoteMounts)
{
    const std::vector<TMountEntry> mounts{Mount("/", "ext4"),          Mount("/proc", "proc"),
                                          Mount("/home", "ext4"),      Mount("/mnt/nas", "nfs4"),
                                          Mount("/mnt/phone", "fuse.sshfs"), Mount("/run/user/1000/doc", "fuse.portal"),
                                          Mount("/sys/fs/cgroup", "cgroup2"), Mount("/media/usb", "vfat")};
    QStringList barriers = TFolderWalk::Barriers(mounts);
    barriers.sort();
    EXPECT_EQ(barriers, (QStringList{"/dev", "/mnt/nas", "/mnt/phone", "/proc", "/run/user/1000/doc", "/sys",
                                     "/sys/fs/cgroup"}));
}

TEST(FolderWalk, EntersARemoteMountOnlyWhenStartedInside)
{
    TTestDir dir;
    dir.MakeDir("local/inner");
    dir.MakeDir("remote/share/deeper");
    const std::vector<TMountEntry> mounts{Mount("/", "ext4"), Mount(dir.Sub("remote"), "cifs")};
    TFolderWalk fromAbove({dir.Path()}, mounts);
    EXPECT_EQ(Collected(fromAbove, dir.Path()), (QStringList{"", "local/", "local/inner/"}));
    TFolderWalk fromInside({dir.Sub("remote/share")}, mounts);
    EXPECT_EQ(Collected(fromInside, dir.Path()), (QStringList{"remote/share/", "remote/share/deeper/"}));
}

TEST(FolderWalk, StopsWhenCancelled)
{
    TTestDir dir;
    for (int i = 0; i < 20; ++i) dir.MakeDir(QStringLiteral("d%1/e").arg(i));
    TFolderWalk walk({dir.Path()});
    int polls = 0;
    EXPECT_FALSE(walk.Collect([&] { return ++polls > 5; }));
    EXPECT_LT(walk.FolderCount(), 41);
}
