#include "tasks/QV_SmartTask.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using Log = std::vector<QString>;

namespace {

// Records a task's end callbacks in the order they come; they run on the main
// thread, so the test reads them there without locking.
struct TEnds {
    Log log;
    TTaskThread* sender = nullptr;
    bool offMainThread = false;

    void Attach(TSmartTask* task)
    {
        task->OnStopEvent([this](TSmartTask*) {
                offMainThread = offMainThread || !IsMainThread();
                log.push_back("Stop");
            })
            ->OnTerminatedEvent([this](TTaskThread* run) {
                offMainThread = offMainThread || !IsMainThread();
                sender = run;
                log.push_back("Terminated");
            });
    }
    bool WaitFor(size_t count)
    {
        return WaitUntil([&] { return log.size() >= count; });
    }
};

// A worker step loop as real workers write it: poll between steps.
void PollUntilStopped(const TSmartTask* task)
{
    while (task->Active()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Events noted by workers on several threads.
struct TEvents {
    std::mutex mutex;
    Log log;
    void Note(const QString& event)
    {
        std::lock_guard lock(mutex);
        log.push_back(event);
    }
    Log Read()
    {
        std::lock_guard lock(mutex);
        return log;
    }
};

}  // namespace

TEST(TaskManager, FindsTasksByExactIdentifier)
{
    TTaskManager manager;
    TSmartTask* list = manager.CreateTask("BuildList");
    EXPECT_EQ(manager.CreateTask("BuildList"), list);
    EXPECT_NE(manager.CreateTask("buildlist"), list);
    EXPECT_EQ(list->ID(), "BuildList");

    TSmartTask* found = nullptr;
    EXPECT_TRUE(manager.GetTask("BuildList", found));
    EXPECT_EQ(found, list);
    EXPECT_FALSE(manager.GetTask("Search", found));
    EXPECT_EQ(found, nullptr);
}

TEST(TaskParams, UnknownParametersReadAsEmptyAndSlotsStayApart)
{
    TSmartTask task;
    int holder = 0;
    task.SetParam("Path", "/home/a")->SetParam("Path", 7)->SetParam("Holder", &holder);

    QString text;
    qint32 number = -1;
    void* object = &number;
    task.GetParam("Missing", text);
    task.GetParam("Missing", number);
    task.GetParam("Missing", object);
    EXPECT_EQ(text, "");
    EXPECT_EQ(number, 0);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(task.GetParam("Missing"), nullptr);
    EXPECT_EQ(task.GetParam("path"), nullptr);

    // Setting the integer keeps the text; the declared kind is never maintained.
    task.GetParam("Path", text);
    task.GetParam("Path", number);
    EXPECT_EQ(text, "/home/a");
    EXPECT_EQ(number, 7);
    ASSERT_NE(task.GetParam("Path"), nullptr);
    EXPECT_EQ(task.GetParam("Path")->TP_VALUE_TYPE, vtNone);

    int* typed = nullptr;
    task.GetParam("Holder", typed);
    EXPECT_EQ(typed, &holder);
}

TEST(SmartTask, RunPassesParametersToTheWorkerAndEndsOnTheMainThread)
{
    TTaskManager manager;
    int holder = 0;
    TEvents steps;
    QString path;
    int* object = nullptr;
    bool workerOnMain = true;
    TEnds ends;
    TSmartTask* task = manager.CreateTask("BuildList")
                           ->SetParam("Path", "/data")
                           ->SetParam("FileHolder", &holder)
                           ->OnExecuteEvent([&](TSmartTask* t) {
                               t->GetParam("Path", path);
                               t->GetParam("FileHolder", object);
                               workerOnMain = IsMainThread();
                               steps.Note(t->Active() ? "worker active" : "worker inactive");
                           })
                           ->OnBeforeTerminatedEvent([&](TSmartTask*) { steps.Note(IsMainThread() ? "before on main" : "before"); });
    ends.Attach(task);
    task->Start();
    EXPECT_TRUE(task->Active());
    TTaskThread* run = task->Thread();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->SmartTask(), task);

    ASSERT_TRUE(ends.WaitFor(1));
    EXPECT_EQ(ends.log, Log{"Terminated"});
    EXPECT_EQ(ends.sender, run);
    EXPECT_FALSE(ends.offMainThread);
    EXPECT_EQ(steps.Read(), (Log{"worker active", "before"}));
    EXPECT_FALSE(workerOnMain);
    EXPECT_EQ(path, "/data");
    EXPECT_EQ(object, &holder);
    EXPECT_FALSE(task->Active());
    EXPECT_EQ(task->Thread(), nullptr);
}

TEST(SmartTask, SetParamOnARunningTaskStopsIt)
{
    TTaskManager manager;
    std::atomic<bool> began{false};
    QString pathAfterStop;
    TEnds ends;
    TSmartTask* task = manager.CreateTask("BuildList")->OnExecuteEvent([&](TSmartTask* t) {
        began = true;
        PollUntilStopped(t);
        t->GetParam("Path", pathAfterStop);
    });
    ends.Attach(task);
    task->SetParam("Path", "/old")->Start();
    TTaskThread* run = task->Thread();
    ASSERT_TRUE(WaitUntil([&] { return began.load(); }));

    task->SetParam("Path", "/new");
    EXPECT_FALSE(task->Active());
    EXPECT_TRUE(run->Terminated());
    ASSERT_TRUE(ends.WaitFor(1));
    EXPECT_EQ(ends.log, Log{"Stop"});
    // The stopped run kept reading its own parameters.
    EXPECT_EQ(pathAfterStop, "/old");
    EXPECT_EQ(task->Thread(), run);
    QString current;
    task->GetParam("Path", current);
    EXPECT_EQ(current, "/new");
}

TEST(SmartTask, StopOnAnInactiveTaskReportsNothing)
{
    TTaskManager manager;
    TEnds ends;
    TSmartTask* task = manager.CreateTask("QuickDrive")->OnExecuteEvent([](TSmartTask*) {});
    ends.Attach(task);
    task->Stop();
    EXPECT_EQ(task->Thread(), nullptr);

    task->Start();
    ASSERT_TRUE(ends.WaitFor(1));
    task->Stop();
    // No thread is left that could report anything later.
    ServeSynchronizedCalls();
    EXPECT_EQ(ends.log, Log{"Terminated"});
}

TEST(SmartTask, PriorityIsIgnoredWhileActiveAndUsedByTheNextThread)
{
    // Threads start at their creator's nice value and may only lower their priority.
    const int base = CurrentThreadNice();
    TTaskManager manager;
    std::atomic<int> nice{-100};
    TEnds ends;
    TSmartTask* task = manager.CreateTask("Search")->Priority(tpLowest)->OnExecuteEvent([&](TSmartTask*) {
        nice = CurrentThreadNice();
    });
    ends.Attach(task);
    task->Start();
    task->Priority(tpIdle);
    EXPECT_EQ(task->Priority(), tpLowest);
    ASSERT_TRUE(ends.WaitFor(1));
    EXPECT_EQ(nice, std::max(base, 10));

    task->Priority(tpIdle)->Start();
    ASSERT_TRUE(ends.WaitFor(2));
    EXPECT_EQ(nice, std::max(base, 19));
}

TEST(SmartTask, ThrowingWorkerEndsNormallyWithoutThePreEndCallback)
{
    struct TCustomFailure {};
    const std::function<void()> throwers[] = {
        [] { throw 7; },
        [] { throw std::runtime_error("disk gone"); },
        [] { throw TCustomFailure{}; },
    };
    for (const auto& thrower : throwers) {
        TTaskManager manager;
        std::atomic<bool> preEndRan{false};
        TEnds ends;
        TSmartTask* task = manager.CreateTask("Icons")
                               ->OnExecuteEvent([&](TSmartTask*) { thrower(); })
                               ->OnBeforeTerminatedEvent([&](TSmartTask*) { preEndRan = true; });
        ends.Attach(task);
        task->Start();
        ASSERT_TRUE(ends.WaitFor(1));
        EXPECT_EQ(ends.log, Log{"Terminated"});
        EXPECT_FALSE(preEndRan);
    }
}

TEST(SmartTask, ThrowingCallbacksDoNotDisturbLaterRuns)
{
    TTaskManager manager;
    Log log;
    bool failStop = true;
    TSmartTask* task = manager.CreateTask("GroupItems");
    task->OnBeforeTerminatedEvent([](TSmartTask*) { throw std::runtime_error("pre-end"); })
        ->OnStopEvent([&](TSmartTask*) {
            log.push_back("Stop");
            if (failStop) throw 1;
        })
        ->OnTerminatedEvent([&](TTaskThread*) {
            log.push_back("Terminated");
            throw std::logic_error("completion");
        });

    // A throwing pre-end callback still ends in the completion.
    task->OnExecuteEvent([](TSmartTask*) {})->Start();
    ASSERT_TRUE(WaitUntil([&] { return log.size() == 1; }));
    EXPECT_EQ(task->Thread(), nullptr);

    // A throwing stop callback must not turn the next normal end into a stop.
    task->OnExecuteEvent([](TSmartTask* t) { PollUntilStopped(t); })->Start();
    task->Stop();
    ASSERT_TRUE(WaitUntil([&] { return log.size() == 2; }));
    task->OnExecuteEvent([](TSmartTask*) {})->Start();
    ASSERT_TRUE(WaitUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log, (Log{"Terminated", "Stop", "Terminated"}));
}

TEST(SmartTask, EndCallbackMayStartTheTaskAgain)
{
    TTaskManager manager;
    std::atomic<int> workerRuns{0};
    int ends = 0;
    TSmartTask* task = manager.CreateTask("BuildList");
    task->OnExecuteEvent([&](TSmartTask*) { ++workerRuns; })->OnTerminatedEvent([&](TTaskThread*) {
        if (++ends == 1) task->Start();
    });
    task->Start();
    ASSERT_TRUE(WaitUntil([&] { return ends == 2; }));
    EXPECT_EQ(workerRuns, 2);
    EXPECT_FALSE(task->Active());
    EXPECT_EQ(task->Thread(), nullptr);
}

TEST(SmartTask, SupersededRunEndsBeforeTheNewRunBegins)
{
    TTaskManager manager;
    TEvents events;
    std::atomic<int> runs{0};
    std::atomic<bool> firstBegan{false};
    bool firstActiveInItsCall = true;
    TEnds ends;
    TSmartTask* task = manager.CreateTask("Search");
    ends.Attach(task);
    task->OnExecuteEvent([&](TSmartTask* t) {
        const int n = ++runs;
        events.Note(QString("begin %1").arg(n));
        if (n == 1) {
            firstBegan = true;
            PollUntilStopped(t);
            // On the main thread, on behalf of the superseded run.
            Synchronize([&] { firstActiveInItsCall = t->Active(); });
        }
        events.Note(QString("end %1").arg(n));
    });
    task->Start();
    TTaskThread* first = task->Thread();
    ASSERT_TRUE(WaitUntil([&] { return firstBegan.load(); }));

    task->Start();
    TTaskThread* second = task->Thread();
    EXPECT_NE(second, first);
    EXPECT_TRUE(first->Terminated());
    EXPECT_TRUE(task->Active());

    ASSERT_TRUE(ends.WaitFor(2));
    EXPECT_EQ(ends.log, (Log{"Stop", "Terminated"}));
    EXPECT_EQ(ends.sender, second);
    EXPECT_EQ(events.Read(), (Log{"begin 1", "end 1", "begin 2", "end 2"}));
    EXPECT_FALSE(firstActiveInItsCall);
    EXPECT_FALSE(task->Active());
}

TEST(SmartTaskLifetime, DestroyingTheManagerServesAWorkerBlockedInASynchronizedCall)
{
    auto manager = std::make_unique<TTaskManager>();
    std::atomic<bool> calling{false};
    std::atomic<bool> workerReturned{false};
    bool callRan = false;
    TEnds ends;
    TSmartTask* task = manager->CreateTask("Icons")->OnExecuteEvent([&](TSmartTask* t) {
        calling = true;
        Synchronize([&] { callRan = true; });
        PollUntilStopped(t);
        workerReturned = true;
    });
    ends.Attach(task);
    task->Start();
    // The main thread serves nothing here, so the worker blocks in its call.
    while (!calling) std::this_thread::yield();

    manager.reset();
    EXPECT_TRUE(callRan);
    EXPECT_TRUE(workerReturned);
    ServeSynchronizedCalls();
    EXPECT_TRUE(ends.log.empty());
}

TEST(SmartTaskLifetime, DestroyingATaskWithSupersededRunsWaitsForEveryWorker)
{
    std::atomic<int> began{0};
    std::atomic<int> returned{0};
    TEnds ends;
    {
        TSmartTask task;
        ends.Attach(&task);
        task.OnExecuteEvent([&](TSmartTask* t) {
            ++began;
            PollUntilStopped(t);
            ++returned;
        });
        task.Start();
        task.Start();
        task.Start();
    }
    EXPECT_EQ(began, returned);
    EXPECT_LE(began, 1);
    EXPECT_TRUE(ends.log.empty());
}

TEST(SmartTaskLifetime, EndCallbackMayDestroyTheManager)
{
    auto manager = std::make_unique<TTaskManager>();
    std::atomic<bool> otherBegan{false};
    std::atomic<bool> otherReturned{false};
    bool destroyed = false;
    TEnds otherEnds;
    TSmartTask* other = manager->CreateTask("Search")->OnExecuteEvent([&](TSmartTask* t) {
        otherBegan = true;
        PollUntilStopped(t);
        otherReturned = true;
    });
    otherEnds.Attach(other);
    other->Start();
    ASSERT_TRUE(WaitUntil([&] { return otherBegan.load(); }));

    manager->CreateTask("BuildList")
        ->OnExecuteEvent([](TSmartTask*) {})
        ->OnTerminatedEvent([&](TTaskThread*) {
            manager.reset();
            destroyed = true;
        })
        ->Start();
    ASSERT_TRUE(WaitUntil([&] { return destroyed; }));
    EXPECT_TRUE(otherReturned);
    EXPECT_TRUE(otherEnds.log.empty());
}

TEST(SmartTaskStress, ManyStartStopCyclesKeepRunsApartAndReportEveryEnd)
{
    TTaskManager manager;
    std::atomic<int> working{0};
    std::atomic<bool> overlapped{false};
    TEvents begun;
    int stops = 0;
    int completions = 0;
    TSmartTask* task = manager.CreateTask("Icons");
    task->OnExecuteEvent([&](TSmartTask* t) {
            if (++working > 1) overlapped = true;
            qint32 n = 0;
            t->GetParam("N", n);
            begun.Note(QString::number(n));
            for (int step = 0; step < 3 && t->Active(); ++step) std::this_thread::yield();
            --working;
        })
        ->OnStopEvent([&](TSmartTask*) { ++stops; })
        ->OnTerminatedEvent([&](TTaskThread*) { ++completions; });

    constexpr int cycles = 100;
    int starts = 0;
    for (int i = 0; i < cycles; ++i) {
        task->SetParam("N", i)->Start();
        task->Stop();
        task->Start();
        starts += 2;
        if (i % 10 == 0) ServeSynchronizedCalls();
    }
    ASSERT_TRUE(WaitUntil([&] { return stops + completions == starts; }, 60000));
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(task->Active());

    // Runs begin in start order, and the last one is among them.
    const Log order = begun.Read();
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back(), QString::number(cycles - 1));
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); }));
}
