#include "controls/QV_Repaint.h"

#include <mutex>

namespace {

std::mutex& HandlerLock()
{
    static std::mutex lock;
    return lock;
}

std::function<void()>& Handler()
{
    static std::function<void()> handler;
    return handler;
}

}  // namespace

void RequestRepaint()
{
    // Called under the lock so that the view cannot be destroyed while a worker
    // is inside its handler.
    std::lock_guard lock(HandlerLock());
    if (Handler()) Handler()();
}

void SetRepaintHandler(std::function<void()> handler)
{
    std::lock_guard lock(HandlerLock());
    Handler() = std::move(handler);
}
