#include "platform/fs/QV_ChangeNotify.h"

#include "platform/fs/QV_FileNames.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

// Names, attributes, sizes and write times of the entries, and the folder's own
// end. IN_EXCL_UNLINK keeps a deleted file that someone still writes to from
// reporting changes to a folder it is no longer in.
constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY |
                                IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

constexpr uint32_t kEndMask = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

// Bounds the time one wait spends reading a folder that keeps changing; events
// left over are read by the next wait. 64 reads hold a full default-sized queue.
constexpr int kMaxReadsPerWait = 64;

void Sleep(int timeoutMs)
{
    if (timeoutMs > 0) ::poll(nullptr, 0, timeoutMs);
}

}  // namespace

TChangeNotify::TChangeNotify(const QString& folder)
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    if (::inotify_add_watch(fd_, EncodeFileName(folder).constData(), kWatchMask) < 0) {
        error_ = errno;
        Close();
        return;
    }
    state_ = TNotifyState::nsWatching;
}

TChangeNotify::~TChangeNotify() { Close(); }

void TChangeNotify::Close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

TChangeBurst TChangeNotify::Wait(int timeoutMs)
{
    if (state_ != TNotifyState::nsWatching) {
        Sleep(timeoutMs);
        return {};
    }
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0 && errno != EINTR) {
        state_ = TNotifyState::nsFailed;
        Close();
    }
    if (ready <= 0) return {};
    return Drain();
}

TChangeBurst TChangeNotify::Drain()
{
    TChangeBurst burst;
    alignas(inotify_event) char buffer[64 * 1024];
    for (int reads = 0; reads < kMaxReadsPerWait; ++reads) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) continue;
        if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (length <= 0) {
            state_ = TNotifyState::nsFailed;
            break;
        }
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= length;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            ++burst.Events;
            if (event.mask & IN_Q_OVERFLOW) burst.Overflow = true;
            if (event.mask & kEndMask) burst.Ended = true;
            at += ssize_t(sizeof(inotify_event)) + event.len;
        }
    }
    if (burst.Ended) state_ = TNotifyState::nsEnded;
    if (state_ != TNotifyState::nsWatching) Close();
    return burst;
}
