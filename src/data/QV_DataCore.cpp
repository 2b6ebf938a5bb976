#include "data/QV_DataCore.h"

#include "controls/QV_Repaint.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "platform/ini/QV_IniFile.h"

namespace {

const QString RecentSection = QStringLiteral("RecentTabs");

}  // namespace

TDataCore* DataCore() { return QvContext().DataCore.load(); }
void SetDataCore(TDataCore* Core) { QvContext().DataCore.store(Core); }

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

TDataCore::TDataCore() = default;

TDataCore::~TDataCore() { Clear(); }

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
    // A fixed pause would free a holder whose worker is still inside a large
    // folder; the holder's destructor waits for its workers instead, serving
    // their hand-overs so none of them blocks.
    holder->StopThreads();
    holder->DH_CANDRAW = false;
    DC_HOLDER = nullptr;
    if (DC_HOLDER_ACTIVE == holder) DC_HOLDER_ACTIVE = nullptr;
    if (DC_HOLDER_TRY == holder) DC_HOLDER_TRY = nullptr;
    // Out of the list before it goes, so nothing reached during its
    // destruction finds it.
    std::unique_ptr<TDataHolder> owned = std::move(DC_LIST[size_t(IDX)]);
    DC_LIST.erase(DC_LIST.begin() + IDX);
    owned.reset();
    RequestRepaint();
    return true;
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
