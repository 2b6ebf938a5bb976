#include "data/QV_DataCore.h"

#include "controls/QV_Repaint.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "platform/QV_IniFile.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

TDataCore* Core_ = nullptr;

const QString RecentSection = QStringLiteral("RecentTabs");
// How often the reaper looks at the workers of removed holders.
constexpr int ReapIntervalMs = 100;

}  // namespace

TDataCore* DataCore() { return Core_; }
void SetDataCore(TDataCore* Core) { Core_ = Core; }

QString FilePlace(const TDataHolder* Holder)
{
    const auto* file = dynamic_cast<const TFileHolder*>(Holder);
    const TPathData* current = file ? file->Path_Curr() : nullptr;
    return current ? current->PD_PATH : QString();
}

QStringList OpenFilePlaces()
{
    QStringList places;
    if (const TDataCore* core = DataCore())
        for (const auto& holder : core->DC_LIST)
            if (const QString place = FilePlace(holder.get()); !place.isEmpty()) places.append(place);
    return places;
}

QString PlaceEntry(const QString& Path)
{
    TParamString entry;
    // The blank SetValue puts in front reads away; the stored line need not carry it.
    return entry.SetValue(QStringLiteral("Path"), Path).trimmed();
}

TDataCore::TDataCore() : ReapTimer_(std::make_unique<QTimer>())
{
    ReapTimer_->setInterval(ReapIntervalMs);
    QObject::connect(ReapTimer_.get(), &QTimer::timeout, ReapTimer_.get(), [this] { Reap(); });
}

TDataCore::~TDataCore()
{
    Clear();
    if (Reaped_.empty()) return;
    // Their workers are stuck in the file system and may still read them;
    // freeing them would crash, waiting would hang the exit. The process
    // ends with them.
    ReportFailure("Closing tabs", QStringLiteral("%1 tab(s) left waiting for a file system").arg(Reaped_.size()));
    for (auto& holder : Reaped_) (void)holder.release();
}

TFileHolder* TDataCore::Holder_Add_File()
{
    auto holder = std::make_unique<TFileHolder>();
    TFileHolder* added = holder.get();
    DC_LIST.push_back(std::move(holder));
    if (TSmartTabApi* tabs = SmartTab()) tabs->AddFileTab(added->DH_ID);
    return added;
}

TDataHolder* TDataCore::Holder_Add_Search()
{
    if (!MakeSearchHolder) return nullptr;
    std::unique_ptr<TDataHolder> holder = MakeSearchHolder();
    if (!holder) return nullptr;
    TDataHolder* added = holder.get();
    DC_LIST.push_back(std::move(holder));
    if (TSmartTabApi* tabs = SmartTab()) tabs->AddSearchTab(added->DH_ID);
    return added;
}

bool TDataCore::Holder_Rem(int IDX)
{
    TDataHolder* holder = Holder_Get(IDX);
    if (!holder) return false;
    // A worker may be stuck in a file system that does not answer; waiting
    // for it here would freeze the window without limit.
    holder->StopThreads();
    holder->DH_CANDRAW = false;
    DC_HOLDER = nullptr;
    if (DC_HOLDER_ACTIVE == holder) DC_HOLDER_ACTIVE = nullptr;
    if (DC_HOLDER_TRY == holder) DC_HOLDER_TRY = nullptr;
    // Out of the list before it goes, so nothing reached during its
    // destruction finds it.
    std::unique_ptr<TDataHolder> owned = std::move(DC_LIST[size_t(IDX)]);
    DC_LIST.erase(DC_LIST.begin() + IDX);
    if (owned->WorkersRunning()) {
        Reaped_.push_back(std::move(owned));
        ReapTimer_->start();
    }
    owned.reset();
    RequestRepaint();
    return true;
}

void TDataCore::Reap()
{
    // Out of the list before it goes: a destructor may serve calls that reach here.
    for (size_t i = 0; i < Reaped_.size();) {
        if (Reaped_[i]->WorkersRunning()) {
            ++i;
            continue;
        }
        std::unique_ptr<TDataHolder> holder = std::move(Reaped_[i]);
        Reaped_.erase(Reaped_.begin() + std::ptrdiff_t(i));
        holder.reset();
    }
    if (Reaped_.empty()) ReapTimer_->stop();
}

int TDataCore::Holder_Find(const QString& ID) const
{
    for (size_t i = 0; i < DC_LIST.size(); ++i)
        if (DC_LIST[i]->DH_ID == ID) return int(i);
    return -1;
}

TDataHolder* TDataCore::Holder_Get(int IDX) const
{
    if (IDX < 0 || IDX >= Count()) return nullptr;
    return DC_LIST[size_t(IDX)].get();
}

TDataHolder* TDataCore::Holder_Get(const QString& ID) const { return Holder_Get(Holder_Find(ID)); }

TDataHolder* TDataCore::Holder_Activate(const QString& ID)
{
    const int index = Holder_Find(ID);
    if (index < 0) return nullptr;
    return Holder_Activate(index);
}

TDataHolder* TDataCore::Holder_Activate(int IDX) { return Holder_Activate(Holder_Get(IDX)); }

TDataHolder* TDataCore::Holder_Activate(TDataHolder* DataHolder)
{
    DC_HOLDER = DataHolder;
    DC_HOLDER_ACTIVE = DataHolder;
    if (DataHolder != DC_HOLDER_TRY) {
        if (DC_HOLDER_TRY) DC_HOLDER_TRY->On_DeActivate();
        if (DC_HOLDER_ACTIVE) DC_HOLDER_ACTIVE->On_Activate();
        DC_HOLDER_TRY = DC_HOLDER_ACTIVE;
    }
    RequestRepaint();
    return DC_HOLDER;
}

void TDataCore::Clear()
{
    for (int i = Count() - 1; i >= 0; --i) Holder_Rem(i);
    QElapsedTimer clock;
    clock.start();
    while (!Reaped_.empty()) {
        const qint64 left = ShutdownWaitMs - clock.elapsed();
        const auto reapable = [this] {
            return std::any_of(Reaped_.begin(), Reaped_.end(), [](const auto& h) { return !h->WorkersRunning(); });
        };
        if (left <= 0 || !ServeUntil(reapable, TServeMode::smCalls, int(left))) break;
        Reap();
    }
}

void TDataCore::StopThreads()
{
    for (const auto& holder : DC_LIST) holder->StopThreads();
}

void TDataCore::SaveRecent(TDataHolder* DataHolder)
{
    const QString path = FilePlace(DataHolder);
    if (path.isEmpty() || path == QDrivePath || IsDriveRoot(path)) return;

    const QString file = ResolvePath(QStringLiteral("SettingsFile:\\"));
    QList<QPair<QString, QString>> entries = IniSectionEntries(file, RecentSection);
    for (const auto& entry : entries)
        if (TParamString{entry.second}.GetValue(QStringLiteral("Path"), QString()) == path) return;

    const int limit = int(Settings().SmartTabs.MaxRecent);
    if (entries.size() >= limit) {
        // The oldest go first: file order is age order.
        do {
            IniDeleteKey(file, RecentSection, entries.front().first);
            entries.removeFirst();
        } while (!entries.isEmpty() && entries.size() > limit + 1);
    }
    for (int n = 1;; ++n) {
        const QString key = QStringLiteral("Tab(%1)").arg(n);
        bool taken = false;
        for (const auto& entry : entries) taken = taken || entry.first.compare(key, Qt::CaseInsensitive) == 0;
        if (taken) continue;
        IniWriteString(file, RecentSection, key, PlaceEntry(path));
        return;
    }
}
