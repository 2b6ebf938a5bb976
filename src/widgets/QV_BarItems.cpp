#include "widgets/QV_BarItems.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_SmartCtrl.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "tasks/QV_SmartTask.h"

#include <exception>

TBarItemLoader::TBarItemLoader(TSmartCtrl* Owner, TControlList* List, QString Section, TPrepare Prepare,
                               std::function<void()> Done)
    : owner_(Owner), list_(List), section_(std::move(Section)), prepare_(std::move(Prepare)), done_(std::move(Done)),
      task_(std::make_unique<TSmartTask>())
{
}

TBarItemLoader::~TBarItemLoader()
{
    // A run that is still on its way hands over nothing now.
    ++generation_;
    task_->Stop();
    task_.reset();
}

bool TBarItemLoader::Running() const { return task_->Running(); }

void TBarItemLoader::Start()
{
    task_->Stop();
    const int generation = ++generation_;
    task_->OnExecuteEvent([this, generation](TSmartTask*) {
        auto items = std::make_unique<TControlList>();
        try {
            // The manager is read once: the view sets it before any bar exists.
            if (TCtrlManager* manager = CtrlManager())
                manager->LoadControls(owner_, QString(), section_, items.get());
            if (prepare_) prepare_(*items);
        } catch (const std::exception&) {
            ReportCurrentException("Bar items");
        }
        // Only the latest load reaches the bar; an older one's items go, on the
        // interface thread, which their icon tasks need.
        // The bar is complete at the hand-over: waiting for the worker to
        // wake once more and end its run would hold a busy start's first
        // frame behind the scheduler.
        Synchronize([&] {
            if (generation == generation_) {
                owner_->HandOverItems(list_, std::move(items));
                ++loads_;
                if (done_) done_();
            }
            items.reset();
        });
    });
    task_->Start();
}
