#include "foundation/QV_DriveProbe.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// A volume query that hangs until released, like a dead network mount.
class THungVolume {
public:
    bool Query()
    {
        ++calls;
        std::unique_lock lock(mutex_);
        released_.wait(lock, [&] { return released; });
        ++finished;
        return true;
    }
    void Release()
    {
        std::lock_guard lock(mutex_);
        released = true;
        released_.notify_all();
    }
    std::atomic<int> calls{0};
    std::atomic<int> finished{0};

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool released = false;
};

} // namespace

TEST(DriveProbe, GivesTheQueryAnswer)
{
    TDriveProbe probe([](const QString& point) { return point == "/up"; });
    EXPECT_TRUE(probe.Ready("/up"));
    EXPECT_FALSE(probe.Ready("/down"));
    EXPECT_TRUE(probe.Ready("/up")); // a finished query is asked again, not remembered
}

TEST(DriveProbe, GivesUpOnAHungVolumeWithoutPilingUpThreads)
{
    auto hung = std::make_shared<THungVolume>();
    TDriveProbe probe([hung](const QString&) { return hung->Query(); });

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(probe.Ready("/mnt/nfs"));
    EXPECT_FALSE(probe.Ready("/mnt/nfs"));
    EXPECT_FALSE(probe.Ready("/mnt/nfs"));
    // One stuck query at most, however often the caller asks; the limit is 1.5 s
    // for the first ask and the later ones return at once.
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_LE(hung->calls, 1);

    // Once the stuck query has ended, its late answer or a fresh query's counts.
    hung->Release();
    EXPECT_TRUE(WaitUntil([&] { return probe.Ready("/mnt/nfs"); }));
    EXPECT_LE(hung->calls, 2);
}

TEST(DriveProbe, KeepsMountPointsApart)
{
    auto hung = std::make_shared<THungVolume>();
    TDriveProbe probe(
        [hung](const QString& point) { return point == "/mnt/ok" || hung->Query(); }, 200);
    EXPECT_FALSE(probe.Ready("/mnt/dead"));
    EXPECT_TRUE(probe.Ready("/mnt/ok")); // a hung neighbour does not hold it up
    hung->Release();
    while (hung->finished == 0) std::this_thread::yield();
}
