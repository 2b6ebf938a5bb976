#include "platform/fs/QV_ChangeNotify.h"

#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

// The kernel queues an inotify event inside the system call that causes it, so a
// wait of 0 ms right after the call sees it: none of these tests depends on time.

namespace fs = std::filesystem;

namespace {

fs::path FsPath(const QString& path) { return fs::path(path.toStdString()); }

void CreateEmptyFile(const QByteArray& path) { ::close(::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644)); }

// While it exists, the process cannot open another file descriptor: the kernel
// answers EMFILE, a real refusal that needs no privileges and touches nothing
// outside the process.
class TDescriptorLimit {
public:
    TDescriptorLimit()
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        // A new descriptor takes the lowest free number, which must reach the limit.
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree >= 0) ::close(lowestFree);
        rlimit limit = saved_;
        limit.rlim_cur = rlim_t(lowestFree < 0 ? 0 : lowestFree);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~TDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    TDescriptorLimit(const TDescriptorLimit&) = delete;
    TDescriptorLimit& operator=(const TDescriptorLimit&) = delete;

private:
    rlimit saved_{};
};

}  // namespace

TEST(ChangeNotify, ReportsChangesOfEntriesButNotReadsOrSubfolderContents)
{
    struct TCase {
        const char* action;
        std::function<void(const TTestDir&)> act;
        bool changed;
    };
    const TCase cases[] = {
        {"create a file", [](const TTestDir& d) { d.WriteFile("w/new.txt", ""); }, true},
        {"append to a file", [](const TTestDir& d) { std::ofstream(FsPath(d.Sub("w/a.txt")), std::ios::app) << "more"; }, true},
        {"change permissions",
         [](const TTestDir& d) { fs::permissions(FsPath(d.Sub("w/a.txt")), fs::perms::owner_read); },
         true},
        {"rename inside", [](const TTestDir& d) { fs::rename(FsPath(d.Sub("w/a.txt")), FsPath(d.Sub("w/b.txt"))); }, true},
        {"move out", [](const TTestDir& d) { fs::rename(FsPath(d.Sub("w/a.txt")), FsPath(d.Sub("other/a.txt"))); }, true},
        {"move in", [](const TTestDir& d) { fs::rename(FsPath(d.Sub("other/in.txt")), FsPath(d.Sub("w/in.txt"))); }, true},
        {"delete a file", [](const TTestDir& d) { fs::remove(FsPath(d.Sub("w/a.txt"))); }, true},
        {"make a folder", [](const TTestDir& d) { d.MakeDir("w/made"); }, true},
        {"read a file", [](const TTestDir& d) { d.ReadFile("w/a.txt"); }, false},
        {"list the folder",
         [](const TTestDir& d) {
             for ([[maybe_unused]] const auto& entry : fs::directory_iterator(FsPath(d.Sub("w")))) {
             }
         },
         false},
        {"create a file in a subfolder", [](const TTestDir& d) { d.WriteFile("w/sub/deep.txt", "x"); }, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.action);
        TTestDir dir;
        dir.WriteFile("w/a.txt", "text");
        dir.MakeDir("w/sub");
        dir.WriteFile("other/in.txt", "text");
        TChangeNotify handle(dir.Sub("w/"));
        ASSERT_EQ(handle.State(), TNotifyState::nsWatching);
        c.act(dir);
        EXPECT_EQ(handle.Wait(0).Changed(), c.changed);
        EXPECT_FALSE(handle.Wait(0).Changed()) << "one wait reads the whole burst";
    }
}

TEST(ChangeNotify, OverflowedQueueIsOneChangeAndTheWatchGoesOn)
{
    std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
    int queueLimit = 0;
    limitFile >> queueLimit;
    if (queueLimit <= 0 || queueLimit > 65536) GTEST_SKIP() << "queue limit " << queueLimit << " too large to fill quickly";

    TTestDir dir;
    const QByteArray a = EncodeFileName(dir.WriteFile("a", ""));
    const QByteArray b = EncodeFileName(dir.Sub("b"));
    TChangeNotify handle(dir.Path());
    ASSERT_EQ(handle.State(), TNotifyState::nsWatching);
    // Each rename queues two events (moved from, moved to), so the loop queues a
    // little more than the limit; renaming is far quicker than creating files.
    for (int i = 0; i < queueLimit / 4 + 16; ++i) {
        ASSERT_EQ(::rename(a.constData(), b.constData()), 0);
        ASSERT_EQ(::rename(b.constData(), a.constData()), 0);
    }

    const TChangeBurst burst = handle.Wait(0);
    EXPECT_TRUE(burst.Changed());
    EXPECT_TRUE(burst.Overflow);
    EXPECT_FALSE(burst.Ended);
    EXPECT_FALSE(handle.Wait(0).Changed());

    CreateEmptyFile(EncodeFileName(dir.Sub("last")));
    EXPECT_TRUE(handle.Wait(0).Changed());
    EXPECT_EQ(handle.State(), TNotifyState::nsWatching);
}

TEST(ChangeNotify, FolderThatGoesAwayIsReportedOnceThenQuiet)
{
    struct TCase {
        const char* action;
        std::function<void(const TTestDir&)> act;
    };
    const TCase cases[] = {
        {"deleted", [](const TTestDir& d) { fs::remove_all(FsPath(d.Sub("w"))); }},
        {"moved away", [](const TTestDir& d) { fs::rename(FsPath(d.Sub("w")), FsPath(d.Sub("moved"))); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.action);
        TTestDir dir;
        dir.WriteFile("w/a.txt", "text");
        TChangeNotify handle(dir.Sub("w"));
        c.act(dir);
        const TChangeBurst burst = handle.Wait(0);
        EXPECT_TRUE(burst.Changed());
        EXPECT_TRUE(burst.Ended);
        EXPECT_EQ(handle.State(), TNotifyState::nsEnded);
        // The moved folder still exists; what happens in it is no longer reported.
        dir.WriteFile("moved/after.txt", "x");
        EXPECT_FALSE(handle.Wait(0).Changed());
    }
}

TEST(ChangeNotify, RefusedWatchReportsNothingAndSleepsOutItsWaits)
{
    TTestDir dir;
    dir.WriteFile("file.txt", "text");
    struct TCase {
        const char* what;
        QString path;
        bool limitDescriptors;
        int error;
    };
    const TCase cases[] = {
        {"missing folder", dir.Sub("missing"), false, ENOENT},
        {"a file", dir.Sub("file.txt"), false, ENOTDIR},
        {"no descriptor left", dir.Path(), true, EMFILE},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TChangeNotify> handle;
        {
            std::unique_ptr<TDescriptorLimit> limit;
            if (c.limitDescriptors) limit = std::make_unique<TDescriptorLimit>();
            handle = std::make_unique<TChangeNotify>(c.path);
        }
        EXPECT_EQ(handle->State(), TNotifyState::nsFailed);
        EXPECT_EQ(handle->Error(), c.error);
        dir.WriteFile("new.txt", "x");
        // A waiter looping on a failed handle must block, not spin: the wait lasts
        // at least its timeout (a lower bound only, so no timing flakiness).
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(handle->Wait(20).Changed());
        EXPECT_GE(clock.elapsed(), 19);
    }
}

TEST(ChangeNotify, WatchesAFolderWhoseNameIsNotUtf8)
{
    TTestDir dir;
    const QByteArray raw = EncodeFileName(dir.Path()) + "/bad\xff";
    ASSERT_EQ(::mkdir(raw.constData(), 0755), 0);
    TChangeNotify handle(DecodeFileName(raw));
    ASSERT_EQ(handle.State(), TNotifyState::nsWatching);
    CreateEmptyFile(raw + "/new");
    EXPECT_TRUE(handle.Wait(0).Changed());
    // The temporary folder's own clean-up cannot name it.
    ::unlink((raw + "/new").constData());
    ::rmdir(raw.constData());
}
