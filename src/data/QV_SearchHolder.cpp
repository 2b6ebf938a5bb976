#include "data/QV_SearchHolder.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FolderWalk.h"

#include <chrono>
#include <utility>

namespace {

const QString TaskSearch = QStringLiteral("Search");
const QString ParamHolder = QStringLiteral("SearchHolder");
const QString ParamName = QStringLiteral("Name");
const QString ParamPathCount = QStringLiteral("PathCount");
const QString ParamRun = QStringLiteral("Run");
const QString ParamDone = QStringLiteral("Done");

using TClock = std::chrono::steady_clock;
constexpr auto HandOverPeriod = std::chrono::milliseconds(100);

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool IsAscii(const char* bytes, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    return true;
}

QString ParamPath(int index) { return QStringLiteral("Path%1").arg(index); }

qint32 ParamInt(const TSmartTask* task, const QString& id)
{
    qint32 value = 0;
    task->GetParam(id, value);
    return value;
}

int Percent(int index, int max)
{
    if (max <= 0 || index <= 0) return 0;
    return std::min(100, int(qint64(index) * 100 / max));
}

void Search_Task(TSmartTask* task)
{
    TSearchHolder* holder = nullptr;
    task->GetParam(ParamHolder, holder);
    if (!holder) return;
    QString name, done;
    task->GetParam(ParamName, name);
    task->GetParam(ParamDone, done);
    QStringList paths;
    for (int i = 0, n = ParamInt(task, ParamPathCount); i < n; ++i) {
        QString path;
        task->GetParam(ParamPath(i), path);
        paths.append(path);
    }
    const int run = ParamInt(task, ParamRun);
    const bool hideHidden = ParamInt(task, QStringLiteral("HideHidden"));
    const bool hideSystem = ParamInt(task, QStringLiteral("HideSystem"));

    const TNameMatcher matcher(name);
    TFolderWalk walk(paths);
    TSearchHolder::TProgress progress;
    TItemList batch;
    TClock::time_point last = TClock::now();
    bool shownAny = false;
    // The first result goes at once, the rest at most every period; the
    // progress alone goes every period.
    const auto handOver = [&](bool force, const auto& statusName) {
        const bool first = !shownAny && !batch.empty();
        const TClock::time_point now = TClock::now();
        if (!force && !first && now - last < HandOverPeriod) return;
        last = now;
        shownAny = shownAny || !batch.empty();
        progress.StatusName = statusName();
        Synchronize([&] { holder->TakeResults(run, batch, progress); });
        batch.clear();
    };
    const auto cancelled = [task] { return !task->Active(); };

    // One read of each folder: its names are examined as the folders are
    // collected. The progress runs over the folders known so far (read, and
    // found but not yet read), so it reaches 100 with the last one.
    QString folderPath;
    int folderOfPath = -1;
    int examined = 0;
    const bool complete = walk.Collect(
        cancelled,
        [&](int folder) {
            progress.Index = folder;
            progress.Max = walk.FolderCount() + walk.PendingFolders() - 1;
            handOver(false, [&] { return walk.FolderPath(folder); });
        },
        [&](int folder, const TWalkName& entryName) {
            if (matcher.Matches(entryName.Bytes, entryName.Length)) {
                TDirEntry entry;
                if (walk.ReadEntry(entryName, entry)) {
                    if (folderOfPath != folder) {
                        folderPath = walk.FolderPath(folder);
                        folderOfPath = folder;
                    }
                    std::unique_ptr<TItemData> item = CreateListedItem(entry, folderPath);
                    const TFileData& data = item->ID_FILE_DATA;
                    item->ID_VISIBLE = !((data.FD_HIDDEN && hideHidden) || (data.FD_SYSTEM && hideSystem));
                    batch.push_back(std::move(item));
                    ++progress.Found;
                }
            }
            if (++examined % 64 == 0 || !batch.empty())
                handOver(false, [&] { return DecodeFileName(entryName.Bytes, qsizetype(entryName.Length)); });
            return true;
        });
    if (!complete || !task->Active()) {
        // Stopped by the user: what was found so far still goes to the holder,
        // which drops it when a newer run has replaced this one.
        handOver(true, [&] { return progress.StatusName; });
        return;
    }
    progress.Index = progress.Max = walk.FolderCount() - 1;
    handOver(true, [&] { return done; });
}

QString Localized(const char* section, const char* key, const char* def)
{
    const QString fallback = QString::fromLatin1(def);
    if (const TLocaleManager* manager = LocaleManager())
        return manager->GetLocalized(QString::fromLatin1(section), QString::fromLatin1(key), fallback);
    return fallback;
}

}  // namespace

// --- Matching ---

QString TNameMatcher::Fold(const QString& Text)
{
    // Upper case first: it maps one character to several where full case
    // folding does ("ß" to "SS"), which simple folding alone would not.
    return Text.normalized(QString::NormalizationForm_D)
        .toUpper()
        .toCaseFolded()
        .normalized(QString::NormalizationForm_D);
}

TNameMatcher::TNameMatcher(const QString& Text) : key_(Fold(Text))
{
    asciiKeyOnly_ = true;
    for (const QChar c : key_)
        if (c.unicode() >= 0x80) asciiKeyOnly_ = false;
    if (asciiKeyOnly_) {
        asciiKey_ = key_.toLatin1();
        for (char& c : asciiKey_) c = AsciiLower(c);
    }
}

bool TNameMatcher::Matches(const QString& Name) const
{
    if (key_.isEmpty()) return false;
    return Fold(Name).contains(key_);
}

bool TNameMatcher::Matches(const char* Bytes, size_t Length) const
{
    if (key_.isEmpty()) return false;
    if (!IsAscii(Bytes, Length)) return Matches(DecodeFileName(Bytes, qsizetype(Length)));
    // A plain ASCII name folds to plain ASCII: it never holds a key that is not.
    if (!asciiKeyOnly_) return false;
    const size_t keyLength = size_t(asciiKey_.size());
    if (keyLength > Length) return false;
    const char* key = asciiKey_.constData();
    for (size_t i = 0; i + keyLength <= Length; ++i) {
        size_t k = 0;
        while (k < keyLength && AsciiLower(Bytes[i + k]) == key[k]) ++k;
        if (k == keyLength) return true;
    }
    return false;
}

// --- The holder ---

TSearchHolder::TSearchHolder() : SH_SEARCH_DATA(std::make_unique<TSearchData>())
{
    SH_SEARCH_DATA->SD_HIDDEN = false;
    SH_SEARCH_DATA->AddPath(QStringLiteral("/"), true);
    ThemeLoad();
}

TSearchHolder::~TSearchHolder()
{
    closing_ = true;
    StopThreads();
    // The worker hands its results to this holder; it must end before the
    // holder stops being one. The fresh manager is the one the base stops.
    TaskManager = std::make_unique<TTaskManager>();
}

void TSearchHolder::AddSearchName(const QString& Name) { SH_SEARCH_DATA->SD_NAME = Name; }

bool TSearchHolder::Searching() const
{
    TSmartTask* task = nullptr;
    return TaskManager->GetTask(TaskSearch, task) && task->Active();
}

bool TSearchHolder::SearchStop()
{
    TSmartTask* task = nullptr;
    if (!TaskManager->GetTask(TaskSearch, task) || !task->Active()) return false;
    task->Stop();
    return true;
}

void TSearchHolder::Search()
{
    if (Searching()) {
        const bool changed = runName_ != SH_SEARCH_DATA->SD_NAME || runPaths_ != SH_SEARCH_DATA->SD_PATHS;
        SearchStop();
        if (!changed) return;
    }
    StartRun();
}

void TSearchHolder::StartRun()
{
    // A grouping of the previous results would work on a list that is about
    // to go (the icon passes end with the list); the theme load goes on.
    TSmartTask* grouping = nullptr;
    if (TaskManager->GetTask(QStringLiteral("GroupItems"), grouping)) grouping->Stop();
    ++runSerial_;
    groupingResults_ = false;
    ClearHolder();
    SH_SEARCH_POS = SH_SEARCH_IDX = SH_SEARCH_MAX = 0;
    SH_STATUS_NAME.clear();
    SH_STATUS_FOUND = QStringLiteral("0");
    const TSearchData& data = *SH_SEARCH_DATA;
    if (data.SD_PATHS.isEmpty()) return;
    runName_ = data.SD_NAME;
    runPaths_ = data.SD_PATHS;
    BeginUpdate();
    const auto& browsing = Settings().Browsing;
    TSmartTask* task = TaskManager->CreateTask(TaskSearch);
    task->SetParam(ParamHolder, static_cast<void*>(this))
        ->SetParam(ParamName, data.SD_NAME)
        ->SetParam(ParamRun, qint32(runSerial_))
        ->SetParam(ParamPathCount, qint32(data.SD_PATHS.size()))
        ->SetParam(ParamDone, Localized("General", "Done", "Done"))
        ->SetParam(QStringLiteral("HideHidden"), qint32(bool(browsing.HideHidden)))
        ->SetParam(QStringLiteral("HideSystem"), qint32(bool(browsing.HideSystem)));
    for (int i = 0; i < data.SD_PATHS.size(); ++i) task->SetParam(ParamPath(i), data.SD_PATHS[i]);
    task->Priority(tpLowest)
        ->OnExecuteEvent(&Search_Task)
        ->OnTerminatedEvent([this](TTaskThread*) { Search_Task_Terminate(); })
        ->OnStopEvent([this](TSmartTask*) { Search_Task_Stop(); });
    task->Start();
    if (task->Active()) ++runsStarted_;
    SH_SEARCHING = true;
    ReDraw();
}

bool TSearchHolder::Removed() const
{
    // A closed tab's holder waits outside the core until its worker has ended.
    const TDataCore* core = DataCore();
    return closing_ || (core && core->Holder_Find(DH_ID) < 0);
}

void TSearchHolder::TakeResults(int Run, TItemList& Batch, const TProgress& Progress)
{
    if (Run != runSerial_ || Removed()) return;
    SH_STATUS_NAME = Progress.StatusName;
    SH_STATUS_FOUND = QString::number(Progress.Found);
    SH_SEARCH_MAX = Progress.Max;
    SH_SEARCH_IDX = Progress.Index;
    SH_SEARCH_POS = GetPercent();
    if (!Batch.empty()) {
        AppendItems(std::move(Batch));
        Batch.clear();
        Arrange();
    }
    ReDraw();
}

bool TSearchHolder::LatestRunEnded()
{
    // Runs end in the order they started; the end of any but the latest
    // belongs to a search that a newer one has replaced.
    return ++runsEnded_ == runsStarted_;
}

void TSearchHolder::Search_Task_Terminate()
{
    if (!LatestRunEnded() || Removed()) return;
    SH_SEARCHING = false;
    // The results show by folder once grouped; the grouping arranges them and
    // starts the icons.
    groupingResults_ = true;
    GroupItems(QStringLiteral("Path"), QStringLiteral("Icons"));
}

void TSearchHolder::Search_Task_Stop()
{
    if (!LatestRunEnded() || Removed()) return;
    if (SH_SEARCHING) SH_SEARCH_POS = 100;
    SH_SEARCHING = false;
    Arrange();
    StartIconTasks();
    if (OnSearched) OnSearched(this);
}

void TSearchHolder::ItemsGrouped()
{
    TDataHolder::ItemsGrouped();
    if (std::exchange(groupingResults_, false) && OnSearched) OnSearched(this);
}

int TSearchHolder::GetPercent() const { return Percent(SH_SEARCH_IDX, SH_SEARCH_MAX); }

bool TSearchHolder::FileMatches(const QString& Name) const { return TNameMatcher(SH_SEARCH_DATA->SD_NAME).Matches(Name); }

void TSearchHolder::On_KeyUp(TKeyCode& Key, TShiftState Shift)
{
    TDataHolder::On_KeyUp(Key, Shift);
    if (Key == 'C' && (Shift & ssCtrl) && !(Shift & (ssAlt | ssShift))) CopyToClipboard();
}

void TSearchHolder::On_Activate()
{
    TDataHolder::On_Activate();
    if (THolderHost* host = HolderHost()) host->SwitchMode(QStringLiteral("Search"));
}

void TSearchHolder::ThemeLoad() { LoadTheme(TThemePlace::tpSearch); }

QString TSearchHolder::EmptyText() const
{
    if (SH_SEARCHING || runsStarted_ == 0 || runsEnded_ != runsStarted_) return QString();
    return Localized("Messages", "NothingFound", "Nothing found");
}
