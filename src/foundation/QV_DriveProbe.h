#pragma once
// Asks whether a volume answers, giving up after a time limit, so that a hung
// network mount never freezes the caller.

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

class TDriveProbe {
public:
    // Answers whether the volume at the mount point responds; may block forever.
    using TQuery = std::function<bool(const QString& mountPoint)>;

    explicit TDriveProbe(TQuery query, int timeoutMs = 1500);

    // Runs the query on a helper thread and waits at most the time limit; false
    // when it fails or does not answer in time. While an earlier query for the same
    // mount point is still stuck, no new thread is started: callers wait for that
    // one, and once it has overrun the limit they get false at once. Thread-safe.
    bool Ready(const QString& mountPoint);

private:
    struct TPending;

    TQuery query_;
    int timeoutMs_;
    std::mutex lock_;
    std::map<QString, std::shared_ptr<TPending>> pending_;
};
