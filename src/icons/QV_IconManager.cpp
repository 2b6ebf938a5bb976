#include "icons/QV_IconManager.h"

#include "controls/QV_Repaint.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "icons/QV_IconSources.h"
#include "platform/QV_Threads.h"

namespace {

const QString ParamHolder = QStringLiteral("DataHolder");
const QString ParamHeight = QStringLiteral("ItemHeight");
const QString ParamTheme = QStringLiteral("ThemeFolder");

// Repaints are asked for in batches: one per this many icons assigned.
constexpr int kTypeIconsPerRepaint = 40;
constexpr int kFileIconsPerRepaint = 5;

QString TextParam(TSmartTask* task, const QString& id)
{
    QString value;
    task->GetParam(id, value);
    return value;
}

// What a pass reads from its run's parameters.
struct TPass {
    explicit TPass(TSmartTask* task) : Theme(TextParam(task, ParamTheme))
    {
        task->GetParam(ParamHolder, Holder);
        qint32 height = 0;
        task->GetParam(ParamHeight, height);
        Height = std::max(1, int(height));
    }
    TIconHost* Holder = nullptr;
    int Height = 1;
    TThemePictures Theme;
};

void Publish(const TIconSlot& item, const TDestinationData& dest)
{
    item.Icon->store(&dest.DD_IMAGE, std::memory_order_release);
    item.Ready->store(true, std::memory_order_release);
}

// A type icon fills the item's square; a file's picture keeps its proportions.
enum class TFit { ftSquare, ftProportional };

TDestinationData* DestFor(TDestinationList& list, const TSourceData& source, const QString& group, int height,
                          TFit fit)
{
    if (TDestinationData* dest = list.Find(source.SD_ID, group)) return dest;
    const TBitmap32& image = source.SD_IMAGE;
    const QSize size = fit == TFit::ftSquare ? QSize(height, height)
                                             : ProportionalSize(image.Width(), image.Height(), height, height);
    auto dest = std::make_unique<TDestinationData>();
    dest->DD_ID = source.SD_ID;
    dest->DD_PARAM_2 = group;
    // An empty source (an unreadable icon file) still yields a blank icon.
    dest->DD_IMAGE = image.Empty() ? TBitmap32(size.width(), size.height())
                                   : image.Resampled(size.width(), size.height(), TResampler::rsDraft);
    return list.Add(std::move(dest));
}

using TBuilder = std::optional<TBitmap32> (*)(const QString&, const QString&, const TThemePictures&, int,
                                              const TSourceCounters&);

// The shared body of the G and S passes: for each item of the pass's kind, the
// cached source or a new one, then the holder's scaled copy. Ends early when
// the task stops or a fallback picture cannot be read.
enum class TPassKind { pkGeneral, pkSpecial };

void AssignIcons(TSmartTask* task, TSourceCache& cache, TPassKind kind)
{
    const bool perFile = kind == TPassKind::pkSpecial;
    const TPass pass(task);
    TIconHost* holder = pass.Holder;
    if (!holder) return;
    const TSourceCounters counters{cache.Decodes, cache.SystemLookups};
    const TIconTask which = perFile ? TIconTask::itSpecial : TIconTask::itGeneral;
    QString& building = holder->IconBuilding(which);
    TDestinationList& dests = holder->IconDestinations(which);
    const TBuilder build = perFile ? &BuildFileSource : &BuildTypeSource;
    const int batch = perFile ? kFileIconsPerRepaint : kTypeIconsPerRepaint;

    int assigned = 0;
    const int count = holder->IconItemCount();
    for (int index = 0; index < count; ++index) {
        if (!task->Active()) return;
        const TIconSlot item = holder->IconItem(index);
        if (IsPerFileExtension(*item.Ext) != perFile) continue;
        const QString& key = perFile ? *item.Path : *item.Ext;
        std::shared_ptr<const TSourceData> source = cache.Find(key);
        if (!source) {
            building = key;
            std::optional<TBitmap32> picture = build(*item.Ext, *item.Path, pass.Theme, pass.Height, counters);
            building.clear();
            if (!picture) return;
            auto built = std::make_shared<TSourceData>();
            built->SD_ID = key;
            built->SD_IMAGE = std::move(*picture);
            source = cache.Add(std::move(built));
        }
        const TFit fit = perFile ? TFit::ftProportional : TFit::ftSquare;
        Publish(item, *DestFor(dests, *source, *item.Group, pass.Height, fit));
        if (++assigned % batch == 0) RequestRepaint();
    }
}

// Reservations are made only while IsProcessing answers true, which it never
// does, so the pass just clears what it finds.
void HandOverReserved(TSmartTask* task)
{
    TIconHost* holder = nullptr;
    task->GetParam(ParamHolder, holder);
    TReservedData reservation;
    while (holder && task->Active() && holder->IconReservations().TakeFirst(reservation)) {
    }
}

} // namespace

TIconManager* IconManager() { return QvContext().IconManager.load(std::memory_order_acquire); }

void SetIconManager(TIconManager* manager) { QvContext().IconManager.store(manager, std::memory_order_release); }

TIconManager::TIconManager()
    : GENERAL_LIST(std::make_shared<TSourceCache>()),
      IM_THREAD_CACHE(std::make_unique<TSmartTask>()),
      self_(std::make_shared<TIconManager*>(this))
{
}

TIconManager::~TIconManager()
{
    *self_ = nullptr;
    IM_THREAD_CACHE.reset();
}

void TIconManager::SetIcons(TIconHost* DataHolder)
{
    if (!DataHolder) return;
    const qint32 height = Settings().Browsing.ItemHeight;
    const QString theme = ResolvePath(QStringLiteral("FilesThemePath:\\"));
    const std::shared_ptr<TSourceCache> cache = GENERAL_LIST;
    const std::shared_ptr<TIconManager*> self = self_;
    const auto start = [&](TSmartTask* task, const char* id, TPassKind kind, TOnExecuteEvent end) {
        task->ID(QString::fromLatin1(id));
        task->SetParam(ParamHolder, static_cast<void*>(DataHolder))
            ->SetParam(ParamHeight, height)
            ->SetParam(ParamTheme, theme)
            ->OnExecuteEvent([cache, kind](TSmartTask* run) { AssignIcons(run, *cache, kind); })
            ->OnBeforeTerminatedEvent(std::move(end));
        task->Start();
    };
    start(DataHolder->IconTask(TIconTask::itGeneral), "SetIcons_Task_G", TPassKind::pkGeneral, [self, DataHolder](TSmartTask* task) {
        RequestRepaint();
        // Starting tasks is the main thread's business. A stopped run
        // (navigation, a holder or manager going) asks for nothing more.
        Synchronize([&] {
            if (!task->Active() || !*self) return;
            (*self)->ProcessReserved(DataHolder);
            (*self)->ClearCached();
        });
    });
    start(DataHolder->IconTask(TIconTask::itSpecial), "SetIcons_Task_S", TPassKind::pkSpecial, [](TSmartTask*) { RequestRepaint(); });
}

void TIconManager::ProcessReserved(TIconHost* DataHolder)
{
    if (!DataHolder) return;
    TSmartTask* r = DataHolder->IconTask(TIconTask::itReserved);
    r->ID(QStringLiteral("SetIcons_Task_R"));
    r->SetParam(ParamHolder, static_cast<void*>(DataHolder))->OnExecuteEvent(&HandOverReserved);
    r->Start();
}

void TIconManager::ClearCached()
{
    const QStringList places = OpenPlaces ? OpenPlaces() : QStringList();
    IM_THREAD_CACHE->ID(QStringLiteral("ClearCached_Task"));
    IM_THREAD_CACHE->OnExecuteEvent([cache = GENERAL_LIST, places](TSmartTask* task) {
        cache->Trim(places, [task] { return task->Active(); });
    });
    IM_THREAD_CACHE->Start();
}
