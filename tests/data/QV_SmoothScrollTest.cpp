#include "data/QV_SmoothScroll.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The steps of frames every `every` ms from `from` until the scroll ends.
std::vector<int> Frames(TSmoothScroll& scroll, qint64 from, qint64 every)
{
    std::vector<int> steps;
    for (qint64 now = from + every; scroll.Running(); now += every) steps.push_back(scroll.Step(now));
    return steps;
}

int Sum(const std::vector<int>& steps)
{
    int sum = 0;
    for (int step : steps) sum += step;
    return sum;
}

} // namespace

TEST(SmoothScroll, ANotchIsCoveredInEvenStepsWithinItsDuration)
{
    for (const int distance : {175, -175, 35, 600}) {
        TSmoothScroll scroll;
        scroll.Add(distance, 1000);
        const std::vector<int> steps = Frames(scroll, 1000, TSmoothScroll::FrameMs);
        EXPECT_EQ(Sum(steps), distance);
        EXPECT_EQ(qint64(steps.size()), TSmoothScroll::DurationMs / TSmoothScroll::FrameMs) << distance;
        for (int step : steps) {
            EXPECT_NEAR(step, double(distance) * TSmoothScroll::FrameMs / TSmoothScroll::DurationMs, 1.0)
                << distance;
        }
    }
}

TEST(SmoothScroll, LateFramesAndFurtherNotchesKeepTheEnd)
{
    // A frame that comes late moves farther; the scroll still ends on time.
    TSmoothScroll late;
    late.Add(120, 0);
    EXPECT_EQ(late.Step(60), 60);
    EXPECT_EQ(late.Step(60), 0);
    EXPECT_EQ(late.Step(500), 60);
    EXPECT_FALSE(late.Running());

    // A second notch halfway adds its distance and ends a duration after itself.
    TSmoothScroll twice;
    twice.Add(120, 0);
    EXPECT_EQ(twice.Step(60), 60);
    twice.Add(120, 60);
    EXPECT_EQ(twice.Remaining(), 180);
    EXPECT_EQ(twice.Step(120), 90);
    EXPECT_EQ(twice.Step(180), 90);
    EXPECT_FALSE(twice.Running());

    // A notch the other way drops what was left of the first.
    TSmoothScroll back;
    back.Add(120, 0);
    back.Step(60);
    back.Add(-120, 60);
    EXPECT_EQ(back.Remaining(), -120);
    back.Stop();
    EXPECT_EQ(back.Step(1000), 0);
}
