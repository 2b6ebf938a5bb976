#include "data/QV_FolderMonitor.h"
#include "platform/QV_Report.h"

#include "foundation/QV_System.h"
#include "platform/QV_ChangeNotify.h"
#include "platform/QV_Threads.h"

#include <QTimer>

#include <algorithm>

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
    watching_ = !refused_;
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
        const bool changed = handle.Wait(kWaitSliceMs).Changed();
        watching_ = handle.State() == TNotifyState::nsWatching;
        if (!changed || terminated_) continue;
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
    if (Path == FM_PATH) return;
    const QString path = IncludeTrailingPathDelimiter(ResolvePath(Path));
    if (FM_THREAD && FM_THREAD->Path == path && FM_THREAD->Watching()) return;
    Stop();
    if (!PathExists(path, emAny)) return;
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
    Active_ = true;
}

void TFolderMonitor::Stop()
{
    // Before waiting: hand-overs served during the wait, and watchers started by
    // calls served then, belong to the next generation.
    ++generation_;
    FM_TIMER->stop();
    Active_ = false;
    const std::unique_ptr<TNotifyThread> thread = std::move(FM_THREAD);
    if (!thread) return;
    thread->Terminate();
    thread->WaitFor();
}

bool TFolderMonitor::Pending() const { return FM_TIMER->isActive(); }

void TFolderMonitor::RestartTimer()
{
    if (!FM_TIMER->isActive()) FirstChange_.start();
    const qint64 left = FM_MAX_DELAY - FirstChange_.elapsed();
    FM_TIMER->start(int(std::clamp<qint64>(left, 0, FM_TIMER_INTERVAL)));
}

void TFolderMonitor::TimerFired()
{
    FM_TIMER->stop();
    if (OnChangedEvent) OnChangedEvent(this);
}
