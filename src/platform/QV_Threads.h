#pragma once
// Worker threads with real priorities, and the hand-over of calls from workers
// to the main thread (the thread that runs the application's event loop).
//
// The main thread serves synchronized calls from its event loop (a socket
// notifier created with the application) and from ServeUntil. A main thread
// that blocks in any other way while a worker waits in Synchronize deadlocks,
// so every main-thread wait for a worker goes through ServeUntil.
//
// The hand-back uses std::mutex and std::condition_variable, never Qt's own
// locks, so ThreadSanitizer sees every edge between the threads.

#include <functional>
#include <memory>

// Scheduling priority of a thread, lowest first. Each level is a per-thread nice
// value: tpIdle 19, tpLowest 10, tpLower 5, tpNormal and above 0.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The nice value a priority maps to.
int NiceValueOf(TThreadPriority priority);

// The nice value of the calling thread.
int CurrentThreadNice();

// True on the thread that runs (or will run) the application's event loop.
bool IsMainThread();

// Starts body at once on a detached thread of the given priority: an idle one
// that ran an earlier body of that priority, or a new one. A new thread
// inherits its creator's nice value; lowering it always works, raising it needs
// privileges and is silently skipped without them. An exception leaving body
// is reported and swallowed; thread tags do not carry over to the next body.
// Answers false, without running body, when the system refuses another thread.
bool StartThread(std::function<void()> body, TThreadPriority priority);

// A thread that is waited for: destroying the object waits until body has
// returned. On the main thread every wait serves synchronized calls.
class TPlatformThread {
public:
    TPlatformThread(std::function<void()> body, TThreadPriority priority);
    ~TPlatformThread();
    TPlatformThread(const TPlatformThread&) = delete;
    TPlatformThread& operator=(const TPlatformThread&) = delete;

    // False when the system refused the thread; body never runs then.
    bool Started() const;
    // Body has returned (or never started). Any thread.
    bool Finished() const;
    // Returns once Finished(). Must not be called from the thread itself.
    void Wait();

private:
    struct TState;
    std::shared_ptr<TState> state_;
};

// Runs fn on the main thread and returns once it has run; an exception from fn
// is rethrown here. Called on the main thread, fn runs at once. While fn runs,
// ThreadTag() on the main thread answers the calling thread's tag.
void Synchronize(const std::function<void()>& fn);

// Main thread only: runs the synchronized calls that are waiting now.
void ServeSynchronizedCalls();

enum class TServeMode {
    smCalls,          // only synchronized calls: nothing else re-enters the caller
    smCallsAndEvents  // also timers, posted events and sockets; user input waits
};

// Main thread only: returns once condition() holds, serving synchronized calls
// (and events, as the mode says) meanwhile. A negative timeout waits without
// limit. Answers whether the condition held.
bool ServeUntil(const std::function<bool()>& condition, TServeMode mode = TServeMode::smCalls,
                int timeoutMs = -1);

// Makes a ServeUntil in progress re-check its condition at once. Workers call it
// after changing what a main-thread condition reads; without it the condition is
// still re-checked every few milliseconds.
void WakeMainThread();

// A per-thread tag that travels with the synchronized calls the thread makes:
// while such a call runs on the main thread, ThreadTag() there answers the
// caller's tag. The tag belongs to the task framework, which tags each worker
// with its run so that a call made on behalf of a superseded run can tell it
// is one; other code leaves it alone.
void SetThreadTag(const void* tag);
const void* ThreadTag();

// Creates the main thread's notifier for synchronized calls. Done automatically
// when the application object is created and on every main-thread entry here;
// callable again without effect.
void PrepareMainThread();
