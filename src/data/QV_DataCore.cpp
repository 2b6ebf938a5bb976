#include "data/QV_DataCore.h"

#include "controls/QV_Repaint.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "data/QV_SearchHolder.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/ini/QV_IniFile.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

const QString RecentSection = QStringLiteral("RecentTabs");
// How often the reaper looks at the workers of removed holders.
constexpr int ReapIntervalMs = 100;

constexpr QChar EscapeMark = u'%';

bool NeedsEscape(QChar c)
{
    return c < u' ' || c == u'\x7F' || c == EscapeMark || c == u'(' || c == u')' || c == u'=' || c == u',';
}

// Whether the text reads back unchanged as the value of an entry: parentheses
// that pair up, nothing the readers, the writers or the file would change.
bool StoresPlain(const QString& text)
{
    if (text.startsWith(EscapeMark) || text.contains(QLatin1String(",,")) || text.contains(u'=')) return false;
    int depth = 0;
    for (const QChar c : text) {
        if (c < u' ' || c == u'\x7F') return false;
        if (c == u'(') ++depth;
        if (c == u')' && --depth < 0) return false;
    }
    return depth == 0;
}

QString EscapePlace(const QString& path)
{
    if (StoresPlain(path)) return path;
    QString escaped(EscapeMark);
    for (const QChar c : path) {
        if (NeedsEscape(c))
            escaped += EscapeMark + QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            escaped += c;
    }
    return escaped;
}

// A "%" not followed by two hexadecimal digits stands for itself.
QString UnescapePlace(const QString& value)
{
    if (!value.startsWith(EscapeMark)) return value;
    QString path;
    for (qsizetype i = 1; i < value.size(); ++i) {
        const int high = value[i] == EscapeMark && i + 2 < value.size() ? HexDigit(value[i + 1]) : -1;
        const int low = high < 0 ? -1 : HexDigit(value[i + 2]);
        if (low < 0) {
            path += value[i];
            continue;
        }
        path += QChar(char16_t(high * 16 + low));
        i += 2;
    }
    return path;
}

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
    // Built directly: SetValue would drop each "=" and turn ",," into ", ".
    return QStringLiteral("Path(") + EscapePlace(Path) + u')';
}

QString EntryPlace(const QString& Entry)
{
    return UnescapePlace(ExtractValue(Entry, QStringLiteral("Path"), QString()));
}

TDataCore::TDataCore() : reapTimer_(std::make_unique<QTimer>())
{
    reapTimer_->setInterval(ReapIntervalMs);
    QObject::connect(reapTimer_.get(), &QTimer::timeout, reapTimer_.get(), [this] { Reap(); });
}

TDataCore::~TDataCore()
{
    Clear();
    if (reaped_.empty()) return;
    // Their workers are stuck in the file system and may still read them;
    // freeing them would crash, waiting would hang the exit. The process
    // ends with them.
    ReportFailure("Closing tabs", QStringLiteral("%1 tab(s) left waiting for a file system").arg(reaped_.size()));
    for (auto& holder : reaped_) (void)holder.release();
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
    std::unique_ptr<TDataHolder> holder = MakeSearchHolder ? MakeSearchHolder() : std::make_unique<TSearchHolder>();
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
        reaped_.push_back(std::move(owned));
        reapTimer_->start();
    }
    owned.reset();
    RequestRepaint();
    return true;
}

void TDataCore::Reap()
{
    // Out of the list before it goes: a destructor may serve calls that reach here.
    for (size_t i = 0; i < reaped_.size();) {
        if (reaped_[i]->WorkersRunning()) {
            ++i;
            continue;
        }
        std::unique_ptr<TDataHolder> holder = std::move(reaped_[i]);
        reaped_.erase(reaped_.begin() + std::ptrdiff_t(i));
        holder.reset();
    }
    if (reaped_.empty()) reapTimer_->stop();
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
    while (!reaped_.empty()) {
        const qint64 left = ShutdownWaitMs - clock.elapsed();
        const auto reapable = [this] {
            return std::any_of(reaped_.begin(), reaped_.end(), [](const auto& h) { return !h->WorkersRunning(); });
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
    const int limit = int(Settings().SmartTabs.MaxRecent);
    if (limit <= 0) {
        if (!entries.isEmpty()) IniEraseSection(file, RecentSection);
        return;
    }
    for (const auto& entry : entries)
        if (EntryPlace(entry.second) == path) return;

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
