#include "widgets/QV_BlinkTimer.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TBlinkTimer*>& Running()
{
    static std::vector<TBlinkTimer*> timers;
    return timers;
}

}  // namespace

TBlinkTimer::TBlinkTimer(std::function<void()> OnTick) : onTick_(std::move(OnTick)) {}

TBlinkTimer::~TBlinkTimer() { SetEnabled(false); }

void TBlinkTimer::SetEnabled(bool Value)
{
    if (Value == enabled_) return;
    enabled_ = Value;
    auto& running = Running();
    if (Value) running.push_back(this);
    else running.erase(std::remove(running.begin(), running.end(), this), running.end());
}

void TBlinkTimer::Tick()
{
    if (onTick_) onTick_();
}

int TickBlinkTimers()
{
    // A tick may stop or start timers; tick those running when the clock struck.
    const std::vector<TBlinkTimer*> now = Running();
    int ticked = 0;
    for (TBlinkTimer* timer : now) {
        const auto& running = Running();
        if (std::find(running.begin(), running.end(), timer) == running.end()) continue;
        timer->Tick();
        ++ticked;
    }
    return ticked;
}
