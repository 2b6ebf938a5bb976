#include "tasks/QV_SmartTask.h"

#include "platform/QV_Report.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

// Shared by a task and its runs, so that a run can still be told its task has
// gone while it waits for its predecessor.
struct TTaskThread::TSync {
    std::mutex mutex;
    std::condition_variable changed;
    bool detached = false;
};

void TTaskParam::SetValue(const QString& ID, const QString& Value)
{
    TP_ID = ID;
    TP_VALUE_STR = Value;
}

void TTaskParam::SetValue(const QString& ID, qint32 Value)
{
    TP_ID = ID;
    TP_VALUE_INT = Value;
}

void TTaskParam::SetValue(const QString& ID, void* Value)
{
    TP_ID = ID;
    TP_VALUE_OBJ = Value;
}

void TTaskParam::GetValue(const QString&, QString& Value) const { Value = TP_VALUE_STR; }
void TTaskParam::GetValue(const QString&, qint32& Value) const { Value = TP_VALUE_INT; }
void TTaskParam::GetValue(const QString&, void*& Value) const { Value = TP_VALUE_OBJ; }

bool TTaskThread::Over() const
{
    std::lock_guard lock(sync_->mutex);
    return over_;
}

// The body of a run's thread.
void TTaskThread::Execute(const std::shared_ptr<TTaskThread>& run)
{
    SetThreadTag(run.get());
    if (std::shared_ptr<TTaskThread> predecessor = std::move(run->predecessor_)) {
        std::unique_lock lock(run->sync_->mutex);
        run->sync_->changed.wait(lock, [&] { return predecessor->over_ || run->sync_->detached; });
    }
    if (run->active_) {
        bool returned = true;
        try {
            if (run->worker_) run->worker_(run->owner_);
        } catch (...) {
            ReportCurrentException("Task worker");
            returned = false;
        }
        if (returned) {
            try {
                if (run->beforeEnd_) run->beforeEnd_(run->owner_);
            } catch (...) {
                ReportCurrentException("Task before-end callback");
            }
        }
    }
    // What only this thread used goes before the end is reported, so whoever
    // waits for the end finds this thread done with it.
    run->params_.clear();
    run->worker_ = nullptr;
    run->beforeEnd_ = nullptr;
    Synchronize([&run] { EndOfRun(*run); });
    SetThreadTag(nullptr);
}

// On the main thread, once per run, while the run's thread waits.
void TTaskThread::EndOfRun(TTaskThread& run)
{
    if (run.smartTask_) run.smartTask_->ReportEnd(run);
    {
        std::lock_guard lock(run.sync_->mutex);
        run.over_ = true;
    }
    run.sync_->changed.notify_all();
}

TSmartTask::TSmartTask() : sync_(std::make_shared<TTaskThread::TSync>()) {}

TSmartTask::~TSmartTask()
{
    Detach();
    ServeUntil([this] { return !Running(); });
}

bool TSmartTask::Running() const
{
    // A run whose end callback is on the stack below us has finished its work;
    // waiting for it would wait for ourselves.
    return !std::all_of(runs_.begin(), runs_.end(), [](const auto& run) { return run->inEndHandler_ || run->Over(); });
}

void TSmartTask::Detach()
{
    Stop();
    {
        std::lock_guard lock(sync_->mutex);
        sync_->detached = true;
    }
    sync_->changed.notify_all();
    for (const auto& run : runs_) run->smartTask_ = nullptr;
}

QString TSmartTask::ID(const QString& Value)
{
    ST_ID = Value;
    return ST_ID;
}

TTaskParam& TSmartTask::ParamFor(const QString& ID)
{
    if (ST_THREAD && ST_ACTIVE) Stop();
    for (TTaskParam& param : ST_PARAMS)
        if (param.TP_ID == ID) return param;
    return ST_PARAMS.emplace_back();
}

TSmartTask* TSmartTask::SetParam(const QString& ID, const QString& Value)
{
    ParamFor(ID).SetValue(ID, Value);
    return this;
}

TSmartTask* TSmartTask::SetParam(const QString& ID, qint32 Value)
{
    ParamFor(ID).SetValue(ID, Value);
    return this;
}

TSmartTask* TSmartTask::SetParam(const QString& ID, void* Value)
{
    ParamFor(ID).SetValue(ID, Value);
    return this;
}

// A run's own copy on its thread and in the synchronized calls it makes;
// the task's list everywhere else.
const std::vector<TTaskParam>& TSmartTask::VisibleParams() const
{
    const auto* run = static_cast<const TTaskThread*>(ThreadTag());
    return run && run->owner_ == this ? run->params_ : ST_PARAMS;
}

const TTaskParam* TSmartTask::GetParam(const QString& ID) const
{
    for (const TTaskParam& param : VisibleParams())
        if (param.TP_ID == ID) return &param;
    return nullptr;
}

void TSmartTask::GetParam(const QString& ID, QString& Value) const
{
    const TTaskParam* param = GetParam(ID);
    Value = param ? param->TP_VALUE_STR : QString();
}

void TSmartTask::GetParam(const QString& ID, qint32& Value) const
{
    const TTaskParam* param = GetParam(ID);
    Value = param ? param->TP_VALUE_INT : 0;
}

void TSmartTask::GetParam(const QString& ID, void*& Value) const
{
    const TTaskParam* param = GetParam(ID);
    Value = param ? param->TP_VALUE_OBJ : nullptr;
}

TSmartTask* TSmartTask::OnExecuteEvent(TOnExecuteEvent Value)
{
    fOnExecuteEvent = std::move(Value);
    return this;
}

TSmartTask* TSmartTask::OnStopEvent(TOnExecuteEvent Value)
{
    fOnStopEvent = std::move(Value);
    return this;
}

TSmartTask* TSmartTask::OnBeforeTerminatedEvent(TOnExecuteEvent Value)
{
    fOnOnBeforeTerminatedEvent = std::move(Value);
    return this;
}

TSmartTask* TSmartTask::OnTerminatedEvent(TTaskNotifyEvent Value)
{
    fOnTerminatedEvent = std::move(Value);
    return this;
}

TSmartTask* TSmartTask::Priority(TThreadPriority Value)
{
    if (!ST_THREAD || !ST_ACTIVE) ST_PRIORITY = Value;
    return this;
}

bool TSmartTask::Active() const
{
    const auto* run = static_cast<const TTaskThread*>(ThreadTag());
    return run && run->owner_ == this ? run->active_.load() : ST_ACTIVE.load();
}

void TSmartTask::Start()
{
    if (ST_THREAD && ST_ACTIVE) Stop();
    std::erase_if(runs_, [](const auto& run) { return run->Over(); });

    std::shared_ptr<TTaskThread> run(new TTaskThread(this, sync_));
    // Deep copies: the worker's texts share nothing with the task's, so the
    // two threads never count references on one string.
    run->params_ = ST_PARAMS;
    for (TTaskParam& param : run->params_) {
        param.TP_ID = QString(param.TP_ID.constData(), param.TP_ID.size());
        param.TP_VALUE_STR = QString(param.TP_VALUE_STR.constData(), param.TP_VALUE_STR.size());
    }
    run->worker_ = fOnExecuteEvent;
    run->beforeEnd_ = fOnOnBeforeTerminatedEvent;
    if (!runs_.empty()) run->predecessor_ = runs_.back();
    // The thread keeps its run alive for as long as it needs it, even after
    // the task has gone.
    if (!StartThread([run] { TTaskThread::Execute(run); }, ST_PRIORITY)) return;
    runs_.push_back(run);
    ST_THREAD = std::move(run);
    ST_ACTIVE = true;
}

void TSmartTask::Stop()
{
    if (!ST_ACTIVE) return;
    ST_ACTIVE = false;
    if (!ST_THREAD) return;
    ST_THREAD->active_ = false;
    ST_THREAD->userStop_ = true;
    ST_THREAD->terminated_ = true;
}

void TSmartTask::ReportEnd(TTaskThread& run)
{
    run.active_ = false;
    if (ST_THREAD.get() == &run) ST_ACTIVE = false;
    // The callbacks are copied: they may replace themselves, start a new run
    // or destroy this task.
    run.inEndHandler_ = true;
    if (run.userStop_) {
        if (TOnExecuteEvent onStop = fOnStopEvent) {
            try {
                onStop(this);
            } catch (...) {
                ReportCurrentException("Task stop callback");
            }
        }
    } else {
        if (TTaskNotifyEvent onTerminated = fOnTerminatedEvent) {
            try {
                onTerminated(&run);
            } catch (...) {
                ReportCurrentException("Task end callback");
            }
        }
        if (run.smartTask_ && ST_THREAD.get() == &run) ST_THREAD.reset();
    }
    run.inEndHandler_ = false;
}

TTaskManager::~TTaskManager()
{
    // Every task is cut off from its callbacks before the first one waits, so
    // no end of one task is reported while another is being destroyed.
    for (const auto& task : TM_TASK_LIST) task->Detach();
    TM_TASK_LIST.clear();
}

bool TTaskManager::GetTask(const QString& ID, TSmartTask*& SmartTask) const
{
    for (const auto& task : TM_TASK_LIST) {
        if (task->ID() == ID) {
            SmartTask = task.get();
            return true;
        }
    }
    SmartTask = nullptr;
    return false;
}

TSmartTask* TTaskManager::CreateTask(const QString& ID)
{
    TSmartTask* task = nullptr;
    if (GetTask(ID, task)) return task;
    auto created = std::make_unique<TSmartTask>();
    created->ID(ID);
    TM_TASK_LIST.push_back(std::move(created));
    return TM_TASK_LIST.back().get();
}

void TTaskManager::StopTasks()
{
    for (const auto& task : TM_TASK_LIST) task->Stop();
}

bool TTaskManager::Running() const
{
    return std::any_of(TM_TASK_LIST.begin(), TM_TASK_LIST.end(), [](const auto& task) { return task->Running(); });
}
