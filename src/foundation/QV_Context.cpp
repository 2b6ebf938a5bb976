#include "foundation/QV_Context.h"

#include "foundation/QV_Settings.h"

TQvContext& QvContext()
{
    static TQvContext context;
    return context;
}

void TQvContext::SetRepaint(std::function<void()> handler)
{
    std::lock_guard lock(repaintLock_);
    repaint_ = std::move(handler);
}

void TQvContext::Repaint()
{
    // Under the lock, so that the view cannot go while a worker is inside its handler.
    std::lock_guard lock(repaintLock_);
    if (repaint_) repaint_();
}

TQvServices TQvContext::Snapshot() const
{
    TQvServices services;
    services.CtrlManager = CtrlManager.load();
    services.IconManager = IconManager.load();
    services.LocaleManager = LocaleManager.load();
    services.DataCore = DataCore.load();
    services.HolderHost = HolderHost.load();
    services.View = View.load();
    {
        std::lock_guard lock(repaintLock_);
        services.Repaint = repaint_;
    }
    return services;
}

void TQvContext::Install(const TQvServices& services)
{
    CtrlManager.store(services.CtrlManager);
    IconManager.store(services.IconManager);
    LocaleManager.store(services.LocaleManager);
    DataCore.store(services.DataCore);
    HolderHost.store(services.HolderHost);
    View.store(services.View);
    SetRepaint(services.Repaint);
}

TQvContextScope::TQvContextScope(const TQvServices& services)
    : saved_(QvContext().Snapshot()), savedSettings_(std::make_unique<TQvSettings>(Settings()))
{
    QvContext().Install(services);
}

TQvContextScope::~TQvContextScope()
{
    QvContext().Install(saved_);
    Settings() = *savedSettings_;
}
