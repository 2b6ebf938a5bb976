#include "data/QV_FolderMonitor.h"

#include "platform/QV_Threads.h"
#include "support/QV_TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

// What the monitor's consumer receives. Notifications come on the main thread,
// where the test reads them.
struct TConsumer {
    explicit TConsumer(TFolderMonitor& monitor)
    {
        clock.start();
        monitor.OnChangedEvent = [this](TFolderMonitor* Sender) {
            ++count;
            lastAt = clock.elapsed();
            sender = Sender;
            offMainThread = offMainThread || !IsMainThread();
        };
    }
    QElapsedTimer clock;
    int count = 0;
    qint64 lastAt = -1;
    TFolderMonitor* sender = nullptr;
    bool offMainThread = false;
};

// Waits while the main loop serves nothing, so a watcher's hand-over stays queued.
bool WaitWithoutServing(const std::function<bool()>& condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 5000) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// While it exists, the calling thread is refused what file permissions refuse,
// even as root: it lowers the capabilities that override them in its effective
// set, keeping them permitted so they can be raised again. Capabilities belong to
// a thread, so the rest of the process keeps its own.
class TNoPermissionOverride {
public:
    TNoPermissionOverride()
    {
        ::syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
        lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    // False when the system would not let the thread give its overrides up.
    bool Lowered() const { return lowered_; }
    ~TNoPermissionOverride() { ::syscall(SYS_capset, &header_, saved_); }
    TNoPermissionOverride(const TNoPermissionOverride&) = delete;
    TNoPermissionOverride& operator=(const TNoPermissionOverride&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};

// Long enough for a notification on its way to arrive.
void ServeQuietPeriod(const TFolderMonitor& monitor) { ServeFor(monitor.FM_TIMER_INTERVAL + 300); }

}  // namespace

TEST(NotifyThread, ReportsChangesAndItsEndOnTheMainThread)
{
    TTestDir dir;
    int changes = 0;
    int ends = 0;
    bool offMainThread = false;
    TNotifyThread watcher;
    watcher.Path = dir.Path();
    watcher.OnChangedEvent = [&](TNotifyThread* sender) {
        offMainThread = offMainThread || !IsMainThread() || sender != &watcher;
        ++changes;
    };
    watcher.OnTerminateEvent = [&](TNotifyThread* sender) {
        offMainThread = offMainThread || !IsMainThread() || sender != &watcher;
        ++ends;
    };
    ASSERT_TRUE(watcher.Start());
    EXPECT_EQ(watcher.Path, dir.Path() + "/");
    EXPECT_FALSE(watcher.WatchRefused());

    dir.WriteFile("new.txt", "x");
    ASSERT_TRUE(WaitUntil([&] { return changes > 0; }));
    watcher.Terminate();
    watcher.WaitFor();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(offMainThread);
}

TEST(FolderMonitor, BurstOfChangesNotifiesOnceAQuietPeriodAfterTheLast)
{
    TTestDir dir;
    TFolderMonitor monitor;
    TConsumer consumer(monitor);
    monitor.Start(dir.Path());
    ASSERT_TRUE(monitor.Active());

    // Each change is handed over before the next one comes, so the burst is merged
    // by the quiet period, not by the watcher reading several changes at once.
    qint64 lastChange = 0;
    for (int i = 0; i < 10; ++i) {
        dir.WriteFile(QString("f%1.txt").arg(i), "x");
        lastChange = consumer.clock.elapsed();
        ServeFor(20);
    }
    ASSERT_TRUE(WaitUntil([&] { return consumer.count > 0; }));
    ServeQuietPeriod(monitor);

    EXPECT_EQ(consumer.count, 1);
    EXPECT_GT(monitor.Thread()->ChangesSeen(), 1);
    // The timer only starts on the main thread after the last write, so it cannot
    // fire sooner than its interval after it; the allowance is for clock rounding.
    EXPECT_GE(consumer.lastAt - lastChange, monitor.FM_TIMER_INTERVAL - 5);
    EXPECT_LT(consumer.lastAt - lastChange, 5000);
    EXPECT_EQ(consumer.sender, &monitor);
    EXPECT_FALSE(consumer.offMainThread);
}

TEST(FolderMonitor, LeavingTheFolderDropsAChangeNotYetNotified)
{
    enum TWay { wStop, wStartElsewhere, wStartAgain, wDestroy };
    // Starting again on the folder watched keeps the change (the test below).
    const std::pair<TWay, const char*> ways[] = {
        {wStop, "stop"},
        {wStartElsewhere, "start on another folder"},
        {wDestroy, "destroy the monitor"},
    };
    // Where the change is when the monitor leaves: waiting out the quiet period on
    // the main thread, or still queued in the watcher's hand-over, which the wait
    // for the watcher must serve (or it deadlocks) without passing it on.
    const std::pair<bool, const char*> stages[] = {{false, "quiet period"}, {true, "hand-over"}};
    for (const auto& [inHandOver, stage] : stages) {
        for (const auto& [way, wayName] : ways) {
            SCOPED_TRACE(std::string(stage) + ", " + wayName);
            TTestDir dir;
            const QString shown = dir.MakeDir("shown");
            const QString other = dir.MakeDir("other");
            auto monitor = std::make_unique<TFolderMonitor>();
            TConsumer consumer(*monitor);
            monitor->Start(shown);
            dir.WriteFile("shown/new.txt", "x");
            if (inHandOver) {
                ASSERT_TRUE(WaitWithoutServing([&] { return monitor->Thread()->ChangesSeen() > 0; }));
            } else {
                ASSERT_TRUE(WaitUntil([&] { return monitor->Pending(); }));
            }

            switch (way) {
            case wStop: monitor->Stop(); break;
            case wStartElsewhere: monitor->Start(other); break;
            case wStartAgain: monitor->Start(shown); break;
            case wDestroy: monitor.reset(); break;
            }
            ServeFor(monitor ? monitor->FM_TIMER_INTERVAL + 300 : 600);
            if (way == wStartAgain) {
                // The folder watched already keeps its watcher and the change it saw
                // (a refresh restarts the monitor: nothing seen meanwhile is lost).
                EXPECT_TRUE(WaitUntil([&] { return consumer.count == 1; }));
                continue;
            }
            EXPECT_EQ(consumer.count, 0);
            if (!monitor) continue;
            EXPECT_FALSE(monitor->Pending());
            if (way == wStop) {
                EXPECT_EQ(monitor->Thread(), nullptr);
                EXPECT_FALSE(monitor->Active());
                continue;
            }
            // The new watcher works.
            dir.WriteFile((way == wStartElsewhere ? "other" : "shown") + QString("/later.txt"), "x");
            EXPECT_TRUE(WaitUntil([&] { return consumer.count == 1; }));
        }
    }
}

// The holder starts the monitor again after every listing; a change seen during
// the listing must survive that.
TEST(FolderMonitor, StartingAgainOnTheWatchedFolderKeepsAPendingChange)
{
    for (const bool inHandOver : {false, true}) {
        SCOPED_TRACE(inHandOver ? "hand-over" : "quiet period");
        TTestDir dir;
        TFolderMonitor monitor;
        TConsumer consumer(monitor);
        monitor.Start(dir.Path());
        TNotifyThread* watcher = monitor.Thread();
        dir.WriteFile("new.txt", "x");
        if (inHandOver) ASSERT_TRUE(WaitWithoutServing([&] { return watcher->ChangesSeen() > 0; }));
        else ASSERT_TRUE(WaitUntil([&] { return monitor.Pending(); }));

        monitor.Start(dir.Path() + "/");
        EXPECT_EQ(monitor.Thread(), watcher);
        EXPECT_TRUE(WaitUntil([&] { return consumer.count == 1; }));
    }
}

TEST(FolderMonitor, FolderThatNeverGoesQuietIsStillReported)
{
    TTestDir dir;
    TFolderMonitor monitor;
    TConsumer consumer(monitor);
    monitor.Start(dir.Path());
    // A download: a change every 100 ms, never the quiet period of 300 ms.
    // Without the limit on the delay, the writes run out before any report.
    qint64 firstChange = -1;
    for (int i = 0; i < 60 && consumer.count == 0; ++i) {
        dir.WriteFile("download.part", QByteArray(i + 1, 'x'));
        if (firstChange < 0) firstChange = consumer.clock.elapsed();
        ServeFor(100);
    }
    ASSERT_EQ(consumer.count, 1);
    EXPECT_LT(consumer.lastAt - firstChange, 3 * monitor.FM_MAX_DELAY);
}

TEST(FolderMonitor, DeletedFolderNotifiesOnceAndARestartOnItStartsNoWatcher)
{
    TTestDir dir;
    dir.WriteFile("shown/a.txt", "x");
    TFolderMonitor monitor;
    TConsumer consumer(monitor);
    monitor.Start(dir.Sub("shown"));

    fs::remove_all(dir.Sub("shown").toStdString());
    ASSERT_TRUE(WaitUntil([&] { return consumer.count > 0; }));
    ServeQuietPeriod(monitor);
    EXPECT_EQ(consumer.count, 1);

    // The refresh that follows lists nothing and restarts the monitor.
    monitor.Start(dir.Sub("shown"));
    EXPECT_EQ(monitor.Thread(), nullptr);
    EXPECT_FALSE(monitor.Active());
}

TEST(FolderMonitor, StartWithoutAFolderStartsNoWatcher)
{
    TTestDir dir;
    dir.WriteFile("file.txt", "x");
    for (const QString& path : {QString(), dir.Sub("missing"), dir.Sub("file.txt")}) {
        SCOPED_TRACE(path.toStdString());
        TFolderMonitor monitor;
        monitor.Start(path);
        EXPECT_EQ(monitor.Thread(), nullptr);
        EXPECT_FALSE(monitor.Active());
    }

    // A running watcher stays for an empty path and stops for a missing one.
    TFolderMonitor monitor;
    monitor.Start(dir.Path());
    TNotifyThread* watcher = monitor.Thread();
    ASSERT_NE(watcher, nullptr);
    monitor.Start(QString());
    EXPECT_EQ(monitor.Thread(), watcher);
    monitor.Start(dir.Sub("missing"));
    EXPECT_EQ(monitor.Thread(), nullptr);
    EXPECT_FALSE(monitor.Active());
}

TEST(FolderMonitor, RefusedWatchIdlesAndReportsNothing)
{
    // The kernel refuses to watch a folder the user may not read; it can still be
    // seen to exist, so a watcher starts.
    TTestDir dir;
    const QString locked = dir.MakeDir("locked");
    ASSERT_EQ(::chmod(locked.toUtf8().constData(), 0), 0);
    TFolderMonitor monitor;
    TConsumer consumer(monitor);
    {
        TNoPermissionOverride asAnyUser;
        if (!asAnyUser.Lowered() || ::faccessat(AT_FDCWD, locked.toUtf8().constData(), R_OK, AT_EACCESS) == 0) {
            ::chmod(locked.toUtf8().constData(), 0755);
            GTEST_SKIP() << "this process cannot give up its permission overrides";
        }
        monitor.Start(locked);
    }
    ASSERT_NE(monitor.Thread(), nullptr);
    EXPECT_TRUE(monitor.Thread()->WatchRefused());
    EXPECT_TRUE(monitor.Active());

    dir.WriteFile("locked/new.txt", "x");
    ServeQuietPeriod(monitor);
    EXPECT_EQ(consumer.count, 0);
    EXPECT_EQ(monitor.Thread()->ChangesSeen(), 0);

    monitor.Stop();
    EXPECT_EQ(monitor.Thread(), nullptr);
    ::chmod(locked.toUtf8().constData(), 0755);
}
