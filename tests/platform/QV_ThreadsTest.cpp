#include "platform/QV_Threads.h"

#include "support/QV_TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

TEST(Threads, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits)
{
    bool ranOnMain = false;
    int value = 0;
    int seenByWorker = 0;
    TPlatformThread worker(
        [&] {
            Synchronize([&] {
                ranOnMain = IsMainThread();
                value = 42;
            });
            seenByWorker = value;
        },
        tpNormal);
    // Served by the event loop, as in the running program.
    ASSERT_TRUE(WaitUntil([&] { return worker.Finished(); }));
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(seenByWorker, 42);
}

TEST(Threads, SynchronizeOnTheMainThreadRunsAtOnce)
{
    bool ran = false;
    Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Threads, ExceptionOfASynchronizedCallReachesTheWorker)
{
    std::string caught;
    TPlatformThread worker(
        [&] {
            try {
                Synchronize([] { throw std::runtime_error("refused"); });
            } catch (const std::runtime_error& e) {
                caught = e.what();
            }
        },
        tpNormal);
    worker.Wait();
    EXPECT_EQ(caught, "refused");
}

TEST(Threads, DestroyingAThreadServesTheCallItIsBlockedIn)
{
    std::atomic<bool> calling{false};
    bool served = false;
    {
        TPlatformThread worker(
            [&] {
                calling = true;
                Synchronize([&] { served = true; });
            },
            tpNormal);
        // The main thread serves nothing here, so the worker blocks in its call.
        while (!calling) std::this_thread::yield();
    }
    EXPECT_TRUE(served);
}

TEST(Threads, ManyWorkersCallingAtOnceAreAllServed)
{
    constexpr int workers = 4;
    constexpr int callsEach = 200;
    int count = 0;
    bool allOnMain = true;
    std::vector<std::unique_ptr<TPlatformThread>> threads;
    for (int w = 0; w < workers; ++w) {
        threads.push_back(std::make_unique<TPlatformThread>(
            [&] {
                for (int i = 0; i < callsEach; ++i)
                    Synchronize([&] {
                        allOnMain = allOnMain && IsMainThread();
                        ++count;
                    });
            },
            tpNormal));
    }
    ASSERT_TRUE(ServeUntil([&] {
        return std::all_of(threads.begin(), threads.end(), [](const auto& t) { return t->Finished(); });
    }));
    EXPECT_EQ(count, workers * callsEach);
    EXPECT_TRUE(allOnMain);
}

TEST(Threads, ServeUntilServesEventsOnlyWhenAsked)
{
    bool delivered = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { delivered = true; }, Qt::QueuedConnection);
    EXPECT_FALSE(ServeUntil([&] { return delivered; }, TServeMode::smCalls, 30));
    EXPECT_TRUE(ServeUntil([&] { return delivered; }, TServeMode::smCallsAndEvents, 5000));
}

TEST(Threads, ThreadTagTravelsIntoSynchronizedCalls)
{
    const int tag = 0;
    const void* seenInCall = nullptr;
    TPlatformThread worker(
        [&] {
            SetThreadTag(&tag);
            Synchronize([&] { seenInCall = ThreadTag(); });
        },
        tpNormal);
    worker.Wait();
    EXPECT_EQ(seenInCall, &tag);
    EXPECT_EQ(ThreadTag(), nullptr);
}

TEST(Threads, PriorityBecomesTheThreadsNiceValue)
{
    // Threads start at their creator's nice value and may only lower their priority.
    const int base = CurrentThreadNice();
    const struct {
        TThreadPriority priority;
        int nice;
    } cases[] = {{tpIdle, 19}, {tpLowest, 10}, {tpLower, 5}, {tpNormal, 0}, {tpTimeCritical, 0}};
    for (const auto& c : cases) {
        int seen = -100;
        TPlatformThread worker([&] { seen = CurrentThreadNice(); }, c.priority);
        worker.Wait();
        EXPECT_EQ(seen, std::max(base, c.nice)) << c.priority;
    }

    std::atomic<int> detachedSeen{-100};
    ASSERT_TRUE(StartThread([&] { detachedSeen = CurrentThreadNice(); }, tpLowest));
    ASSERT_TRUE(WaitUntil([&] { return detachedSeen != -100; }));
    EXPECT_EQ(detachedSeen, std::max(base, 10));
}
