#pragma once
// The folder monitor of a file holder: a watcher thread waits for changes of the
// listed folder and hands each one to the main thread, where a quiet-period
// timer merges a burst of them into one notification. A folder that never goes
// quiet is still reported, at the latest FM_MAX_DELAY after the first change
// not yet reported.
//
// Threads. TFolderMonitor is created, used and destroyed on the main thread, and
// its callback runs there. The watcher thread touches only its own handle; it
// hands changes over synchronously and waits until the main thread has taken
// them. Every wait for a watcher serves those hand-overs, so stopping never
// deadlocks.

#include <QElapsedTimer>
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
    // The watch is in place and the folder has not ended. Any thread.
    bool Watching() const { return watching_; }
    // How many waits of the thread found changes. Any thread.
    int ChangesSeen() const { return changesSeen_; }

private:
    void Execute(TChangeNotify& handle);
    void OnChanged();

    std::unique_ptr<TPlatformThread> thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<int> changesSeen_{0};
    std::atomic<bool> watching_{false};
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
    // burst, or FM_MAX_DELAY ms after its first change when the burst lasts
    // longer. The monitor must not be destroyed from inside it.
    TNotifyEvent OnChangedEvent;
    int FM_TIMER_INTERVAL = 300;
    int FM_MAX_DELAY = 1000;

    // Watches Path (an empty Path is ignored). A watcher that still watches that
    // folder stays, with any change it has seen and not yet reported: the
    // holder starts the monitor before and after each listing, and a change made
    // in between must still lead to a refresh. Otherwise the watcher is replaced
    // and a pending change is dropped; a path that does not name an existing
    // folder on a ready volume leaves the monitor stopped.
    void Start(const QString& Path);
    // Ends the watcher, waiting while serving its hand-overs; a change pending or
    // still being handed over is dropped.
    void Stop();

    // A watcher runs (it may idle on a refused watch).
    bool Active() const { return Active_; }
    // The running watcher, or none.
    TNotifyThread* Thread() const { return FM_THREAD.get(); }
    // A notification is due when the quiet period ends.
    bool Pending() const;

private:
    void RestartTimer();
    void TimerFired();

    // Never set; Start keeps a watcher by the path it watches instead.
    QString FM_PATH;
    std::unique_ptr<TNotifyThread> FM_THREAD;
    std::unique_ptr<QTimer> FM_TIMER;
    bool Active_ = false;
    // Runs from the first change of the burst now pending.
    QElapsedTimer FirstChange_;
    // Counts watchers started and stopped: an event from a watcher of an older
    // generation is one the consumer no longer wants.
    unsigned generation_ = 0;
};
