#include "data/QV_SmoothScroll.h"

#include <algorithm>
#include <cmath>

void TSmoothScroll::Add(int distance, qint64 now)
{
    if (distance == 0) return;
    if ((remaining_ < 0) != (distance < 0)) remaining_ = 0;
    if (remaining_ == 0) last_ = now;
    remaining_ += distance;
    end_ = now + DurationMs;
}

int TSmoothScroll::Step(qint64 now)
{
    if (remaining_ == 0) return 0;
    int move = remaining_;
    if (now < end_) {
        const double share = double(std::max<qint64>(now - last_, 0)) / double(end_ - last_);
        move = int(std::lround(remaining_ * share));
    }
    remaining_ -= move;
    last_ = std::max(last_, now);
    return move;
}
