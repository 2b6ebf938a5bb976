#pragma once
// The wheel's smooth scroll as arithmetic over time, kept apart from the
// holder's timer so it can be checked with chosen times: every notch adds its
// distance to what is still to go, and the remainder is covered at an even
// pace that ends DurationMs after the latest notch. Frames that come at a
// steady rate therefore move equal steps; a late frame moves a longer one, so
// the scroll still ends on time.

#include <QtGlobal>

class TSmoothScroll {
public:
    static constexpr qint64 DurationMs = 120;
    // The frame rate the holder's timer asks for.
    static constexpr int FrameMs = 15;

    // A notch of distance pixels (signed) at now, in milliseconds of any steady
    // clock. A notch against the running direction drops what was left.
    void Add(int distance, qint64 now);
    // The pixels to move at now, and the scroll ends when it has moved all.
    int Step(qint64 now);
    bool Running() const { return remaining_ != 0; }
    int Remaining() const { return remaining_; }
    void Stop() { remaining_ = 0; }

private:
    int remaining_ = 0;
    qint64 last_ = 0;  // the latest notch or frame
    qint64 end_ = 0;
};
