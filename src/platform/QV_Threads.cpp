#include "platform/QV_Threads.h"

#include "platform/QV_Report.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// One synchronized call; it lives on the stack of the worker waiting for it.
struct TSyncCall {
    const std::function<void()>* fn = nullptr;
    const void* tag = nullptr;
    bool done = false;
    std::exception_ptr error;
};

// Shared by every thread and never destroyed: a detached worker may still be
// waiting here while the process exits.
struct TDispatch {
    std::mutex mutex;
    std::condition_variable callDone;  // workers wait here for their call
    std::condition_variable mainWake;  // ServeUntil waits here for calls and wakes
    std::deque<TSyncCall*> queue;
    unsigned long wakes = 0;
    // Written by workers to wake the main thread's event loop.
    const int eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    QPointer<QSocketNotifier> notifier;  // main thread only
};

TDispatch& Dispatch()
{
    static TDispatch* dispatch = new TDispatch;
    return *dispatch;
}

// Static initialisation runs on the process's first thread; the application
// object, once created, names its own thread.
std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};

thread_local const void* tTag = nullptr;

void ApplyPriority(TThreadPriority priority)
{
    const int wanted = NiceValueOf(priority);
    if (CurrentThreadNice() != wanted) ::setpriority(PRIO_PROCESS, ::gettid(), wanted);
}

void OnApplicationCreated()
{
    gMainThread = std::this_thread::get_id();
    PrepareMainThread();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(OnApplicationCreated)

int NiceValueOf(TThreadPriority priority)
{
    switch (priority) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    default: return 0;
    }
}

int CurrentThreadNice()
{
    errno = 0;
    return ::getpriority(PRIO_PROCESS, ::gettid());
}

bool IsMainThread() { return std::this_thread::get_id() == gMainThread.load(); }

namespace {

// Finished threads wait a while for the next body instead of ending: a start
// makes dozens of short runs, and on a virtual machine a new thread's stack,
// its allocator arena and the unmapping at its end each cost more than the run.
// A body never waits behind another: it goes to an idle thread or to a new
// one. Each nice value has its own idle threads, as an unprivileged thread
// cannot take back a priority it gave up.
class TThreadPool {
public:
    explicit TThreadPool(int nice) : nice_(nice) {}

    void Run(std::function<void()> body, TThreadPriority priority)
    {
        {
            std::lock_guard lock(mutex_);
            if (idle_ > int(pending_.size())) {
                pending_.push_back(std::move(body));
                wake_.notify_one();
                return;
            }
        }
        std::thread([this, body = std::move(body), priority]() mutable {
            ApplyPriority(priority);
            RunBody(body);
            body = nullptr;
            Serve();
        }).detach();
    }

private:
    static constexpr int kMaxIdle = 16;
    static constexpr auto kIdleTime = std::chrono::seconds(20);

    static void RunBody(const std::function<void()>& body)
    {
        try {
            body();
        } catch (...) {
            ReportCurrentException("Thread body");
        }
        tTag = nullptr;
    }

    void Serve()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            // A body may have moved the thread's priority where this pool's
            // others are not; such a thread ends rather than serve them.
            if (idle_ >= kMaxIdle || CurrentThreadNice() != nice_) return;
            ++idle_;
            const bool got = wake_.wait_for(lock, kIdleTime, [this] { return !pending_.empty(); });
            --idle_;
            if (!got) return;
            std::function<void()> body = std::move(pending_.front());
            pending_.pop_front();
            lock.unlock();
            RunBody(body);
            body = nullptr;  // its captures go before the thread waits again
            lock.lock();
        }
    }

    const int nice_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> pending_;
    int idle_ = 0;
};

// Never destroyed: idle threads wait in them while the process exits.
TThreadPool& PoolFor(TThreadPriority priority)
{
    static TThreadPool* const pools[] = {new TThreadPool(NiceValueOf(tpIdle)), new TThreadPool(NiceValueOf(tpLowest)),
                                         new TThreadPool(NiceValueOf(tpLower)), new TThreadPool(NiceValueOf(tpNormal))};
    switch (priority) {
    case tpIdle: return *pools[0];
    case tpLowest: return *pools[1];
    case tpLower: return *pools[2];
    default: return *pools[3];
    }
}

}  // namespace

bool StartThread(std::function<void()> body, TThreadPriority priority)
{
    PrepareMainThread();
    try {
        PoolFor(priority).Run(std::move(body), priority);
        return true;
    } catch (const std::system_error& error) {
        ReportFailure("StartThread", QString::fromLocal8Bit(error.what()));
        return false;
    }
}

struct TPlatformThread::TState {
    std::mutex mutex;
    std::condition_variable finishedChanged;
    bool finished = false;
    bool started = false;
    std::thread thread;
};

TPlatformThread::TPlatformThread(std::function<void()> body, TThreadPriority priority)
    : state_(std::make_shared<TState>())
{
    PrepareMainThread();
    // The thread only borrows the state: Wait() joins it before the state can go.
    TState* state = state_.get();
    try {
        state->thread = std::thread([state, body = std::move(body), priority] {
            ApplyPriority(priority);
            try {
                body();
            } catch (...) {
                ReportCurrentException("Thread body");
            }
            {
                std::lock_guard lock(state->mutex);
                state->finished = true;
            }
            state->finishedChanged.notify_all();
            WakeMainThread();
        });
        state->started = true;
    } catch (const std::system_error& error) {
        ReportFailure("TPlatformThread", QString::fromLocal8Bit(error.what()));
        state->finished = true;
    }
}

TPlatformThread::~TPlatformThread() { Wait(); }

bool TPlatformThread::Started() const { return state_->started; }

bool TPlatformThread::Finished() const
{
    std::lock_guard lock(state_->mutex);
    return state_->finished;
}

void TPlatformThread::Wait()
{
    if (IsMainThread()) {
        ServeUntil([this] { return Finished(); });
    } else {
        std::unique_lock lock(state_->mutex);
        state_->finishedChanged.wait(lock, [this] { return state_->finished; });
    }
    if (state_->thread.joinable()) state_->thread.join();
}

void Synchronize(const std::function<void()>& fn)
{
    if (IsMainThread()) {
        fn();
        return;
    }
    TDispatch& d = Dispatch();
    TSyncCall call;
    call.fn = &fn;
    call.tag = tTag;
    {
        std::lock_guard lock(d.mutex);
        d.queue.push_back(&call);
        ++d.wakes;
    }
    d.mainWake.notify_all();
    const std::uint64_t one = 1;
    if (::write(d.eventFd, &one, sizeof one) < 0) {
        // The counter is saturated, so the main loop is woken already.
    }
    {
        std::unique_lock lock(d.mutex);
        d.callDone.wait(lock, [&call] { return call.done; });
    }
    if (call.error) std::rethrow_exception(call.error);
}

void ServeSynchronizedCalls()
{
    TDispatch& d = Dispatch();
    for (;;) {
        TSyncCall* call = nullptr;
        {
            std::lock_guard lock(d.mutex);
            if (d.queue.empty()) return;
            call = d.queue.front();
            d.queue.pop_front();
        }
        const void* ownTag = tTag;
        tTag = call->tag;
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        tTag = ownTag;
        {
            std::lock_guard lock(d.mutex);
            call->done = true;
        }
        d.callDone.notify_all();
    }
}

bool ServeUntil(const std::function<bool()>& condition, TServeMode mode, int timeoutMs)
{
    using namespace std::chrono;
    PrepareMainThread();
    TDispatch& d = Dispatch();
    const bool serving = IsMainThread();
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        unsigned long seen;
        {
            std::lock_guard lock(d.mutex);
            seen = d.wakes;
        }
        if (serving) ServeSynchronizedCalls();
        if (condition()) return true;
        if (serving && mode == TServeMode::smCallsAndEvents && QCoreApplication::instance()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (condition()) return true;
        }
        // The slice bounds the delay for conditions that change without a wake.
        auto slice = duration_cast<steady_clock::duration>(milliseconds(5));
        if (timeoutMs >= 0) {
            const auto now = steady_clock::now();
            if (now >= deadline) return condition();
            slice = std::min(slice, deadline - now);
        }
        std::unique_lock lock(d.mutex);
        d.mainWake.wait_for(lock, slice, [&] { return (serving && !d.queue.empty()) || d.wakes != seen; });
    }
}

void WakeMainThread()
{
    TDispatch& d = Dispatch();
    {
        std::lock_guard lock(d.mutex);
        ++d.wakes;
    }
    d.mainWake.notify_all();
}

void SetThreadTag(const void* tag) { tTag = tag; }

const void* ThreadTag() { return tTag; }

void PrepareMainThread()
{
    if (!IsMainThread() || !QCoreApplication::instance()) return;
    TDispatch& d = Dispatch();
    if (d.notifier || d.eventFd < 0) return;
    d.notifier = new QSocketNotifier(d.eventFd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(d.notifier, &QSocketNotifier::activated, [] {
        std::uint64_t count = 0;
        if (::read(Dispatch().eventFd, &count, sizeof count) < 0) {
            // Nothing to drain: a wait served the calls already.
        }
        ServeSynchronizedCalls();
    });
}
