#include "data/QV_ItemDisposal.h"

#include "data/QV_ItemData.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class TItemDisposer {
public:
    ~TItemDisposer()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void Add(TItemList&& items)
    {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(std::move(items));
            if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        }
        wake_.notify_all();
    }

    void Wait()
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return pending_.empty() && !busy_; });
    }

private:
    void Run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || !pending_.empty(); });
            if (pending_.empty()) return;
            std::vector<TItemList> lists;
            lists.swap(pending_);
            busy_ = true;
            lock.unlock();
            lists.clear();
            lock.lock();
            busy_ = false;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<TItemList> pending_;
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;
};

TItemDisposer& Disposer()
{
    static TItemDisposer disposer;
    return disposer;
}

}  // namespace

void DisposeItems(TItemList&& Items)
{
    TItemList items = std::move(Items);
    if (items.size() < 1000) return;
    Disposer().Add(std::move(items));
}

void WaitItemsDisposed() { Disposer().Wait(); }
