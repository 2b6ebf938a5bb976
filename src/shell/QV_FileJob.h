#pragma once
// One file operation in the background: the engine runs on a task thread, its
// conflicts are asked on the interface thread (the worker waits), its progress
// is kept for the progress window to read, and it can be paused and cancelled.
//
// Threads: everything here on the interface thread, except what the worker does
// inside.

#include "shell/QV_FileOperation.h"

#include <QElapsedTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class TSmartTask;

class TFileJob {
public:
    TFileJob(TFileOpKind Kind, QStringList Sources, QString TargetFolder);
    // Cancels a running job and waits for its worker.
    ~TFileJob();
    TFileJob(const TFileJob&) = delete;
    TFileJob& operator=(const TFileJob&) = delete;

    // Called on the interface thread while the worker waits.
    std::function<TConflictAnswer(const TConflictInfo&)> OnConflict;
    // Called on the interface thread once the job has ended.
    std::function<void(TFileJob& Job, const TFileOpResult& Result)> OnFinished;

    void Start();
    void Cancel();
    void SetPaused(bool Paused);
    bool Paused() const { return paused_.load(); }
    bool Finished() const { return finished_; }

    TFileOpKind Kind() const { return kind_; }
    const QStringList& Sources() const { return sources_; }
    const QString& TargetFolder() const { return target_; }
    TFileOpProgress Progress() const;
    qint64 ElapsedMs() const { return clock_.isValid() ? clock_.elapsed() : 0; }

private:
    bool WorkerProgress(const TFileOpProgress& progress);

    const TFileOpKind kind_;
    const QStringList sources_;
    const QString target_;
    std::unique_ptr<TSmartTask> task_;
    QElapsedTimer clock_;
    TFileOpResult result_;  // written by the worker before its run ends
    mutable std::mutex lock_;
    std::condition_variable resumed_;
    TFileOpProgress progress_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> cancelled_{false};
    bool finished_ = false;
};

// "12.3 MB of 40.0 MB, 3 of 10 files, 5.2 MB/s, 6 s left" for a progress window.
QString ProgressSummary(const TFileOpProgress& Progress, qint64 ElapsedMs);
