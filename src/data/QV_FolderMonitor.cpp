#include "data/QV_FolderMonitor.h"

#include "foundation/QV_System.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_ChangeNotify.h"

#include <QTimer>

#include <algorithm>
#include <chrono>

namespace {

// How long the watcher waits before it looks at its terminate flag again.
constexpr int kWaitSliceMs = 10;

}  // namespace

TNotifyThread::TNotifyThread() = default;

TNotifyThread::~TNotifyThread()
{
    Terminate();
    WaitFor();
}

bool TNotifyThread::Start()
{
    Path = IncludeTrailingPathDelimiter(Path);
    // The handle is made here rather than on the thread, so the watch is in place
    // before the caller goes on.
    auto handle = std::make_shared<TChangeNotify>(Path);
    refused_ = handle->State() != TNotifyState::nsWatching;
    thread_ = std::make_unique<TPlatformThread>(
        [this, handle]() mutable {
            Execute(*handle);
            handle.reset();
            try {
                Synchronize([this] {
                    if (OnTerminateEvent) OnTerminateEvent(this);
                });
            } catch (...) {
                ReportCurrentException("Folder monitor end");
            }
        },
        tpNormal);
    return thread_->Started();
}

void TNotifyThread::Terminate() { terminated_ = true; }

void TNotifyThread::WaitFor()
{
    if (thread_) thread_->Wait();
}

void TNotifyThread::Execute(TChangeNotify& handle)
{
    while (!terminated_) {
        if (!handle.Wait(kWaitSliceMs).Changed() || terminated_) continue;
        ++changesSeen_;
        try {
            // The flag is read again on the main thread: a Terminate made while this
            // call waited in the queue must keep it from reaching the consumer.
            Synchronize([this] {
                if (!terminated_) OnChanged();
            });
        } catch (...) {
            ReportCurrentException("Folder monitor change");
        }
    }
}

void TNotifyThread::OnChanged()
{
    if (OnChangedEvent) OnChangedEvent(this);
}

TFolderMonitor::TFolderMonitor() : FM_TIMER(std::make_unique<QTimer>())
{
    // A coarse timer may fire a few percent early, before the burst is over.
    FM_TIMER->setTimerType(Qt::PreciseTimer);
    QObject::connect(FM_TIMER.get(), &QTimer::timeout, FM_TIMER.get(), [this] { TimerFired(); });
}

TFolderMonitor::~TFolderMonitor()
{
    Stop();
    FM_TIMER.reset();
}

void TFolderMonitor::Start(const QString& Path)
{
    if (Path.isEmpty()) return;
    const QString path = IncludeTrailingPathDelimiter(ResolvePath(Path));
    const bool exists = PathExists(path, emAny);
    if (exists && path == FM_PATH && active_ && FM_THREAD && !FM_THREAD->Terminated()) return;
    Stop();
    if (!exists) return;
    auto thread = std::make_unique<TNotifyThread>();
    thread->Path = path;
    const unsigned generation = ++generation_;
    thread->OnChangedEvent = [this, generation](TNotifyThread*) {
        if (generation == generation_) RestartTimer();
    };
    // Only a watcher that ends by itself gets here: Stop has moved on to the next
    // generation before it waits.
    thread->OnTerminateEvent = [this, generation](TNotifyThread*) {
        if (generation == generation_) FM_TIMER->stop();
    };
    if (!thread->Start()) return;
    // A Start served while Stop waited may have put a watcher here already; the
    // assignment stops it.
    FM_THREAD = std::move(thread);
    FM_PATH = path;
    active_ = true;
}

void TFolderMonitor::Stop()
{
    // Before waiting: hand-overs served during the wait, and watchers started by
    // calls served then, belong to the next generation.
    ++generation_;
    FM_TIMER->stop();
    active_ = false;
    FM_PATH.clear();
    const std::unique_ptr<TNotifyThread> thread = std::move(FM_THREAD);
    if (!thread) return;
    thread->Terminate();
    thread->WaitFor();
}

bool TFolderMonitor::Pending() const { return FM_TIMER->isActive(); }

void TFolderMonitor::RestartTimer()
{
    const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    if (!FM_TIMER->isActive()) firstPending_ = now;
    const qint64 untilLatest = std::max<qint64>(0, firstPending_ + FM_MAX_DELAY - now);
    FM_TIMER->stop();
    FM_TIMER->setInterval(int(std::min<qint64>(FM_TIMER_INTERVAL, untilLatest)));
    FM_TIMER->start();
}

void TFolderMonitor::TimerFired()
{
    FM_TIMER->stop();
    if (OnChangedEvent) OnChangedEvent(this);
}
