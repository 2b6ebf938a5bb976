#include "foundation/QV_DriveProbe.h"

#include "platform/QV_Report.h"

#include <chrono>
#include <condition_variable>
#include <system_error>
#include <thread>

// One query in flight. The helper thread owns a reference, so it may outlive the
// probe and the caller.
struct TDriveProbe::TPending {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool answer = false;
    std::chrono::steady_clock::time_point deadline;
};

TDriveProbe::TDriveProbe(TQuery query, int timeoutMs) : query_(std::move(query)), timeoutMs_(timeoutMs) {}

bool TDriveProbe::Ready(const QString& mountPoint)
{
    std::shared_ptr<TPending> pending;
    {
        std::lock_guard guard(lock_);
        if (auto it = pending_.find(mountPoint); it != pending_.end()) {
            std::lock_guard inner(it->second->lock);
            if (!it->second->finished) pending = it->second;
        }
        if (!pending) {
            pending = std::make_shared<TPending>();
            pending->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
            try {
                std::thread([pending, query = query_, mountPoint] {
                    const bool answer = query(mountPoint);
                    std::lock_guard done(pending->lock);
                    pending->answer = answer;
                    pending->finished = true;
                    pending->done.notify_all();
                }).detach();
            } catch (const std::system_error& error) {
                ReportFailure("Drive probe", QString::fromLocal8Bit(error.what()));
                return false; // no thread to ask with: the volume counts as not answering
            }
            pending_[mountPoint] = pending;
        }
    }
    std::unique_lock wait(pending->lock);
    if (!pending->done.wait_until(wait, pending->deadline, [&] { return pending->finished; })) return false;
    return pending->answer;
}
