#pragma once
// The folder monitor of a file holder: a watcher thread waits for changes of the
// listed folder and hands each one to the main thread, where a quiet-period
// timer merges a burst of them into one notification.
//
// Threads. TFolderMonitor is created, used and destroyed on the main thread, and
// its callback runs there. The watcher thread touches only its own handle; it
// hands changes over synchronously and waits until the main thread has taken
// them. Every wait for a watcher serves those hand-overs, so stopping never
// deadlocks.

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QTimer;
class TChangeNotify;
class TPlatformThread;

// The watcher thread. Created suspended; Start watches and starts it.
class TNotifyThread {
public:
    using TNotifyEvent = std::function<void(TNotifyThread* Sender)>;

    TNotifyThread();
    // Terminates the thread and waits until it has ended.
    ~TNotifyThread();
    TNotifyThread(const TNotifyThread&) = delete;
    TNotifyThread& operator=(const TNotifyThread&) = delete;

    // The folder to watch; Start completes it with a trailing delimiter.
    QString Path;
    // Main thread, once per change the watcher saw (several for a long burst).
    TNotifyEvent OnChangedEvent;
    // Main thread, once, when the watcher has ended.
    TNotifyEvent OnTerminateEvent;

    // Main thread, once. The watch is in place when Start returns, so a change
    // made right after it is reported. False when the system refused a thread.
    bool Start();
    // Any thread. Noticed within one 10 ms wait slice; a change seen from then
    // on, or still waiting to be handed over, is not reported.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Returns once the thread has ended (at once when it never started).
    void WaitFor();

    // The kernel refused the watch: the thread idles and reports nothing.
    bool WatchRefused() const { return refused_; }
    // How many waits of the thread found changes. Any thread.
    int ChangesSeen() const { return changesSeen_; }

private:
    void Execute(TChangeNotify& handle);
    void OnChanged();

    std::unique_ptr<TPlatformThread> thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<int> changesSeen_{0};
    bool refused_ = false;
};

class TFolderMonitor {
public:
    using TNotifyEvent = std::function<void(TFolderMonitor* Sender)>;

    TFolderMonitor();
    // Stops the watcher, then frees the timer.
    ~TFolderMonitor();
    TFolderMonitor(const TFolderMonitor&) = delete;
    TFolderMonitor& operator=(const TFolderMonitor&) = delete;

    // Called on the main thread FM_TIMER_INTERVAL ms after the last change of a
    // burst, or FM_MAX_DELAY ms after its first change when the burst goes on
    // (a download, a log folder). The monitor must not be destroyed from inside it.
    TNotifyEvent OnChangedEvent;
    int FM_TIMER_INTERVAL = 300;
    int FM_MAX_DELAY = 1000;

    // Replaces the watcher by one on Path (an empty Path is ignored); the folder
    // watched already keeps its watcher and its pending change. A path that
    // does not name an existing folder on a ready volume leaves the monitor
    // stopped. A change still pending from a previous folder's watcher is dropped.
    void Start(const QString& Path);
    // Ends the watcher, waiting while serving its hand-overs; a change pending or
    // still being handed over is dropped.
    void Stop();

    // A watcher runs (it may idle on a refused watch).
    bool Active() const { return active_; }
    // The running watcher, or none.
    TNotifyThread* Thread() const { return FM_THREAD.get(); }
    // A notification is due when the quiet period ends.
    bool Pending() const;

private:
    void RestartTimer();
    void TimerFired();

    // The folder watched: a Start on it keeps the watcher and whatever change
    // it has pending, so nothing seen since the watch began is lost.
    QString FM_PATH;
    // When the oldest change not yet notified came in; the notification comes
    // at the latest FM_MAX_DELAY ms after it, however long the burst goes on.
    qint64 firstPending_ = 0;
    std::unique_ptr<TNotifyThread> FM_THREAD;
    std::unique_ptr<QTimer> FM_TIMER;
    bool active_ = false;
    // Counts watchers started and stopped: an event from a watcher of an older
    // generation is one the consumer no longer wants.
    unsigned generation_ = 0;
};
