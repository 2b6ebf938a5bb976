#pragma once
// The caret blink of the edit fields without a timer object of their own: a
// field's TBlinkTimer only says whether it blinks, and one clock on the main
// thread (the view's, every Interval ms) calls TickBlinkTimers, which ticks every
// running one. Tests drive the blink by calling the tick, so nothing here waits
// on time and nothing needs a display.
//
// Threads: main thread only.

#include <functional>

class TBlinkTimer {
public:
    static constexpr int Interval = 500;  // ms

    explicit TBlinkTimer(std::function<void()> OnTick);
    ~TBlinkTimer();
    TBlinkTimer(const TBlinkTimer&) = delete;
    TBlinkTimer& operator=(const TBlinkTimer&) = delete;

    void SetEnabled(bool Value);
    bool Enabled() const { return enabled_; }
    void Tick();

private:
    std::function<void()> onTick_;
    bool enabled_ = false;
};

// Ticks every enabled blink timer once; answers how many ticked.
int TickBlinkTimers();
