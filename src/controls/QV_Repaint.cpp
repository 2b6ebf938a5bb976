#include "controls/QV_Repaint.h"

#include "foundation/QV_Context.h"

#include <utility>
#include <vector>

void RequestRepaint() { QvContext().Repaint(); }

void SetRepaintHandler(std::function<void()> handler) { QvContext().SetRepaint(std::move(handler)); }

namespace {

struct TFirstFrame {
    bool Held = false;
    std::vector<std::function<void()>> Work;
};

TFirstFrame& FirstFrame()
{
    static TFirstFrame state;
    return state;
}

}  // namespace

void AfterFirstFrame(std::function<void()> work)
{
    if (!work) return;
    if (FirstFrame().Held) FirstFrame().Work.push_back(std::move(work));
    else work();
}

void HoldUntilFirstFrame(bool hold)
{
    FirstFrame().Held = hold;
    if (hold) return;
    // Work run here may ask for more; it runs at once, after what was held.
    for (auto& work : std::exchange(FirstFrame().Work, {})) work();
}
