// Children built on a worker while the main thread keeps painting and hit
// testing the parent: the hand-over must never let the two touch one list.

#include "controls/QV_SmartCtrl.h"

#include "controls/QV_ControlProbe.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/QV_Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::atomic<int> DestroyedOffMain{0};

class TThreadProbe : public TProbe {
public:
    using TProbe::TProbe;
    ~TThreadProbe() override
    {
        if (!IsMainThread()) ++DestroyedOffMain;
    }
};

}  // namespace

TEST(ControlThreads, WorkerBuiltItemsArriveWhilePaintingGoesOn)
{
    DestroyedOffMain = 0;
    TProbe bar(nullptr, "Bar", QRect(0, 0, 400, 40));
    TControlList* items = bar.AddList("Items");
    bool oldGone = false;
    items->AddControl(new TThreadProbe(nullptr, "old", QRect(0, 0, 10, 10), &oldGone));
    bar.On_MouseDown(mbLeft, 0, 5, 5);  // the old item is hot and focused
    ASSERT_NE(bar.SC_FOCUSE, nullptr);

    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 0; round < 20; ++round) {
            auto built = std::make_unique<TControlList>();
            for (int i = 0; i < 20; ++i)
                built->AddControl(new TThreadProbe(nullptr, QString::number(i), QRect(i * 20, 0, 18, 18)));
            bar.HandOverItems(items, std::move(built));
            // The safety net: a worker adding straight to an attached list.
            items->AddControl(new TThreadProbe(nullptr, "extra", QRect(390, 0, 5, 5)));
        }
        done = true;
        WakeMainThread();
    });

    TBitmap32 canvas(400, 40);
    int x = 0;
    while (!done) {
        bar.On_Paint(canvas);
        bar.On_MouseMove(0, x, 5);
        x = (x + 7) % 400;
        ServeSynchronizedCalls();
    }
    worker.join();
    ServeSynchronizedCalls();

    EXPECT_TRUE(oldGone);
    EXPECT_EQ(DestroyedOffMain, 0);
    EXPECT_EQ(items->Count(), 21);
    EXPECT_EQ(items->Control(20)->SC_ID, "extra");
    EXPECT_EQ(bar.SC_FOCUSE, nullptr);  // it pointed at a destroyed item
    EXPECT_EQ(bar.On_MouseMove(0, 25, 5), items->Control(1));
}
