#pragma once
// Change notification for one folder (not its subfolders), on inotify.
//
// A handle watches for entries created, deleted or moved in or out, attribute
// and content changes, and the folder itself being deleted or moved. Reading,
// opening and listing are not changes, so a consumer that re-lists the folder
// (or reads its files for icons) on every change does not wake itself up.
//
// A handle belongs to one thread at a time; it is not shared.

#include <QString>

// What one wait on a handle saw.
struct TChangeBurst {
    int Events = 0;         // events read, an overflow and the folder's end included
    bool Overflow = false;  // the kernel dropped events: some changes are unknown
    bool Ended = false;     // the folder is gone (deleted, moved away, unmounted)
    bool Changed() const { return Events > 0; }
};

enum class TNotifyState {
    nsWatching,
    nsFailed,  // the kernel refused the watch: nothing is ever reported
    nsEnded    // the folder's end was reported: nothing more is
};

class TChangeNotify {
public:
    // Starts watching at once, so that no change after the constructor returns
    // is missed. A refused watch (no such folder, not a folder, no permission,
    // a watch or descriptor limit reached) leaves the handle nsFailed.
    explicit TChangeNotify(const QString& folder);
    ~TChangeNotify();
    TChangeNotify(const TChangeNotify&) = delete;
    TChangeNotify& operator=(const TChangeNotify&) = delete;

    TNotifyState State() const { return state_; }
    // The errno of a refused watch; 0 otherwise.
    int Error() const { return error_; }

    // Waits up to timeoutMs (0: just look) for changes and reads every event that
    // is waiting, so a burst of changes is answered by one wait. A handle that is
    // not watching sleeps out the timeout and answers no change: a caller that
    // loops on it never spins.
    TChangeBurst Wait(int timeoutMs);

private:
    TChangeBurst Drain();
    void Close();

    int fd_ = -1;
    TNotifyState state_ = TNotifyState::nsFailed;
    int error_ = 0;
};
