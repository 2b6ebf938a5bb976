#include "shell/QV_FileJob.h"

#include "foundation/QV_PaintUtils.h"
#include "platform/QV_Report.h"
#include "tasks/QV_SmartTask.h"

#include <QCoreApplication>
#include <QLocale>

#include <chrono>

TFileJob::TFileJob(TFileOpKind Kind, QStringList Sources, QString TargetFolder)
    : kind_(Kind), sources_(std::move(Sources)), target_(std::move(TargetFolder)), task_(std::make_unique<TSmartTask>())
{
    task_->ID(QStringLiteral("FileJob"));
}

TFileJob::~TFileJob()
{
    Cancel();
    task_.reset();  // waits for the worker, serving its synchronized calls
}

void TFileJob::Start()
{
    clock_.start();
    task_->OnExecuteEvent([this](TSmartTask*) {
        TFileOpHooks hooks;
        hooks.Progress = [this](const TFileOpProgress& p) { return WorkerProgress(p); };
        hooks.AskConflict = [this](const TConflictInfo& conflict) {
            TConflictAnswer answer;
            if (cancelled_) return answer;
            Synchronize([&] {
                if (!OnConflict) return;
                try {
                    answer = OnConflict(conflict);
                } catch (...) {
                    ReportCurrentException("File operation conflict");
                }
            });
            return answer;
        };
        result_ = RunFileOperation(kind_, sources_, target_, hooks);
    });
    task_->OnTerminatedEvent([this](TTaskThread*) {
        finished_ = true;
        if (OnFinished) OnFinished(*this, result_);
    });
    task_->OnStopEvent([this](TSmartTask*) {
        finished_ = true;
        result_.Cancelled = true;
        if (OnFinished) OnFinished(*this, result_);
    });
    task_->Start();
}

void TFileJob::Cancel()
{
    cancelled_ = true;
    {
        std::lock_guard<std::mutex> guard(lock_);
        paused_ = false;
    }
    resumed_.notify_all();
}

void TFileJob::SetPaused(bool Paused)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        paused_ = Paused;
    }
    resumed_.notify_all();
}

TFileOpProgress TFileJob::Progress() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return progress_;
}

bool TFileJob::WorkerProgress(const TFileOpProgress& progress)
{
    std::unique_lock<std::mutex> guard(lock_);
    progress_ = progress;
    resumed_.wait(guard, [this] { return !paused_ || cancelled_; });
    return !cancelled_ && task_->Active();
}

QString ProgressSummary(const TFileOpProgress& Progress, qint64 ElapsedMs)
{
    const auto tr = [](const char* text) { return QCoreApplication::translate("FileJob", text); };
    QString text = tr("%1 of %2, %3 of %4 entries")
                       .arg(SizeText(Progress.BytesDone), SizeText(Progress.BytesTotal))
                       .arg(Progress.FilesDone)
                       .arg(Progress.FilesTotal);
    if (ElapsedMs >= 1000 && Progress.BytesDone > 0) {
        const double rate = double(Progress.BytesDone) * 1000.0 / double(ElapsedMs);
        text += tr(", %1/s").arg(SizeText(qint64(rate)));
        const qint64 left = Progress.BytesTotal - Progress.BytesDone;
        if (left > 0 && rate > 0) text += tr(", %1 s left").arg(qint64(double(left) / rate + 0.5));
    }
    return text;
}
