#pragma once
// Named background tasks: typed parameters, a worker routine on its own
// thread, cooperative cancellation and end callbacks on the main thread.
//
// Runs. Every Start begins a new run (a TTaskThread) with its own active flag
// and its own copy of the parameters and of the worker callbacks, taken at
// Start. On a run's thread, and inside the synchronized calls that thread
// makes, Active() and GetParam answer for that run: a superseded worker keeps
// seeing Active() false and its own parameters after a newer run started. A
// run's worker begins only after the previous run of the task has ended
// completely (its end callback has returned); a run stopped before its turn
// skips the worker and the pre-end callback and only reports its end. So the
// workers of one task never overlap and their ends are reported in start
// order: a stopped run through fOnStopEvent, a run that returned on its own
// through fOnTerminatedEvent. The end of a superseded run leaves the newer
// run's state alone.
//
// Threads. Everything is called on the main thread, except Active, GetParam
// and ID, which the worker routines call. Start and Stop never wait.
//
// Destruction. Destroying a task (or its manager) stops it and waits, serving
// synchronized calls, until its runs have ended; end callbacks are no longer
// called. Workers therefore must keep polling Active(). A task may be
// destroyed from inside its own end callbacks, but not from inside another
// synchronized call made by its own worker, which would wait for itself.

#include "platform/QV_Threads.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TSmartTask;
class TTaskThread;

enum TValueType { vtNone, vtInteger, vtString, vtObject };

// The worker routine and the callbacks that receive the task.
using TOnExecuteEvent = std::function<void(TSmartTask* SmartTask)>;
// The completion callback; Sender is the run that ended.
using TTaskNotifyEvent = std::function<void(TTaskThread* Sender)>;

// One named parameter. Its three value slots are independent; TP_VALUE_TYPE
// stays vtNone, as the setters do not maintain it.
class TTaskParam {
public:
    QString TP_ID;
    TValueType TP_VALUE_TYPE = vtNone;
    QString TP_VALUE_STR;
    qint32 TP_VALUE_INT = 0;
    void* TP_VALUE_OBJ = nullptr;  // not owned

    // Each sets TP_ID and the one matching slot.
    void SetValue(const QString& ID, const QString& Value);
    void SetValue(const QString& ID, qint32 Value);
    void SetValue(const QString& ID, void* Value);
    // Each reads the matching slot; ID is not checked.
    void GetValue(const QString& ID, QString& Value) const;
    void GetValue(const QString& ID, qint32& Value) const;
    void GetValue(const QString& ID, void*& Value) const;
};

// One run of a task: the thread started by one Start. The task keeps it while
// it is the latest run, so Thread() and the Sender of fOnTerminatedEvent stay
// valid during the end callbacks.
class TTaskThread {
public:
    // The task that started the run; none once that task has been destroyed.
    // Main thread only.
    TSmartTask* SmartTask() const { return smartTask_; }
    // Set when the run was asked to end. Any thread.
    bool Terminated() const { return terminated_; }

private:
    friend class TSmartTask;
    struct TSync;

    TTaskThread(TSmartTask* owner, std::shared_ptr<TSync> sync) : owner_(owner), smartTask_(owner), sync_(std::move(sync)) {}
    static void Execute(const std::shared_ptr<TTaskThread>& run);
    static void EndOfRun(TTaskThread& run);
    bool Over() const;

    // Immutable after Start; identifies the run's task even after it is gone.
    TSmartTask* const owner_;
    TSmartTask* smartTask_;  // main thread
    const std::shared_ptr<TSync> sync_;
    std::shared_ptr<TTaskThread> predecessor_;  // the worker's own after Start
    std::vector<TTaskParam> params_;
    TOnExecuteEvent worker_;
    TOnExecuteEvent beforeEnd_;
    std::atomic<bool> active_{true};
    std::atomic<bool> terminated_{false};
    bool userStop_ = false;      // main thread
    bool inEndHandler_ = false;  // main thread
    bool over_ = false;          // guarded by the task's sync mutex
};

class TSmartTask {
public:
    TSmartTask();
    ~TSmartTask();
    TSmartTask(const TSmartTask&) = delete;
    TSmartTask& operator=(const TSmartTask&) = delete;

    QString ID() const { return ST_ID; }
    QString ID(const QString& Value);

    // Stop the active run first, then set (or create and append) the parameter.
    TSmartTask* SetParam(const QString& ID, const QString& Value);
    TSmartTask* SetParam(const QString& ID, qint32 Value);
    TSmartTask* SetParam(const QString& ID, void* Value);

    // An unknown parameter reads as empty text, 0 or none.
    void GetParam(const QString& ID, QString& Value) const;
    void GetParam(const QString& ID, qint32& Value) const;
    void GetParam(const QString& ID, void*& Value) const;
    template <class T>
    void GetParam(const QString& ID, T*& Value) const
    {
        void* object = nullptr;
        GetParam(ID, object);
        Value = static_cast<T*>(object);
    }
    // The first parameter named ID, or none.
    const TTaskParam* GetParam(const QString& ID) const;

    TSmartTask* OnExecuteEvent(TOnExecuteEvent Value);
    TSmartTask* OnStopEvent(TOnExecuteEvent Value);
    TSmartTask* OnBeforeTerminatedEvent(TOnExecuteEvent Value);
    TSmartTask* OnTerminatedEvent(TTaskNotifyEvent Value);

    // Stored only while no run is active; applies to the next thread.
    TSmartTask* Priority(TThreadPriority Value);
    TThreadPriority Priority() const { return ST_PRIORITY; }

    // The latest run; none before the first Start and after a run that ended
    // on its own.
    TTaskThread* Thread() const { return ST_THREAD.get(); }
    bool Active() const;
    // Main thread: some run of this task has not ended yet (a run whose end
    // callback is on the stack counts as ended).
    bool Running() const;

    void Start();
    void Stop();

private:
    friend class TTaskManager;
    friend class TTaskThread;
    // Stops the task and keeps its runs from reporting their ends.
    void Detach();
    TTaskParam& ParamFor(const QString& ID);
    const std::vector<TTaskParam>& VisibleParams() const;
    void ReportEnd(TTaskThread& run);

    QString ST_ID;
    TThreadPriority ST_PRIORITY = tpNormal;
    std::shared_ptr<TTaskThread> ST_THREAD;
    std::vector<TTaskParam> ST_PARAMS;
    TTaskNotifyEvent fOnTerminatedEvent;
    TOnExecuteEvent fOnStopEvent;
    TOnExecuteEvent fOnExecuteEvent;
    TOnExecuteEvent fOnOnBeforeTerminatedEvent;
    // The latest run is active. Atomic because workers of other tasks may ask.
    std::atomic<bool> ST_ACTIVE{false};
    // Runs that have not ended yet, in start order.
    std::vector<std::shared_ptr<TTaskThread>> runs_;
    std::shared_ptr<TTaskThread::TSync> sync_;
};

// Keeps a holder's tasks by identifier so that one task object serves a job.
class TTaskManager {
public:
    TTaskManager() = default;
    // Stops every task, then destroys them (each waits for its runs).
    ~TTaskManager();
    TTaskManager(const TTaskManager&) = delete;
    TTaskManager& operator=(const TTaskManager&) = delete;

    // The first task whose ID equals ID exactly; answers whether there is one.
    bool GetTask(const QString& ID, TSmartTask*& SmartTask) const;
    // The existing task with that ID, or a new one appended to the list.
    TSmartTask* CreateTask(const QString& ID);
    void StopTasks();
    // Main thread: some task has a run that has not ended yet.
    bool Running() const;

private:
    std::vector<std::unique_ptr<TSmartTask>> TM_TASK_LIST;
};
