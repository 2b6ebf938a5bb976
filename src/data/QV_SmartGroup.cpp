// Grouping a holder's items under group headers, in the background.
//
// The worker never touches the holder's list. A synchronized call takes what
// it needs on the interface thread (the item addresses and the text each key
// comes from); the worker computes the keys and the new order; a second
// synchronized call moves the items into that order and swaps the list in,
// only while the run is still wanted and the list is still the one it read.

#include "data/QV_DataHolder.h"

#include "icons/QV_IconManager.h"
#include "locale/QV_LocaleManager.h"

#include <QHash>
#include <QLocale>
#include <QSet>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

const QString ParamGroupValue = QStringLiteral("GroupValue");
const QString ParamOnTerminated = QStringLiteral("OnTerminated");
const QString ParamHolder = QStringLiteral("DataHolder");
const QString DefaultGroup = QStringLiteral("<default>");

enum class TGroupKind { gkName, gkExt, gkPath, gkOther };

TGroupKind GroupKindOf(const QString& value)
{
    if (value == QLatin1String("Name")) return TGroupKind::gkName;
    if (value == QLatin1String("Ext")) return TGroupKind::gkExt;
    if (value == QLatin1String("Path")) return TGroupKind::gkPath;
    return TGroupKind::gkOther;
}

constexpr char32_t NoCharacter = 0xFFFFFFFF;  // an empty caption

// The whole code point when the caption starts with a surrogate pair; a lone
// surrogate stands for itself.
char32_t FirstCodePoint(const QString& caption)
{
    if (caption.isEmpty()) return NoCharacter;
    const QChar first = caption.front();
    if (first.isHighSurrogate() && caption.size() > 1 && caption[1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, caption[1]);
    return first.unicode();
}

QString UpperCharacter(char32_t code, const QLocale& locale)
{
    if (code == NoCharacter) return QString();
    if (QChar::isSurrogate(code)) return QString(QChar(char16_t(code)));
    return locale.toUpper(QString::fromUcs4(&code, 1));
}

constexpr uint32_t NoBucket = UINT32_MAX;

// Keys in order of first appearance, each with its bucket number. Items of one
// listing share their source texts, so the last text and the texts already
// seen answer most lookups without upper-casing anything again.
class TBuckets {
public:
    std::vector<QString> Keys;

    uint32_t ForKey(const QString& key)
    {
        const auto found = byKey_.constFind(key);
        if (found != byKey_.cend()) return *found;
        const uint32_t bucket = uint32_t(Keys.size());
        Keys.push_back(key);
        byKey_.insert(key, bucket);
        return bucket;
    }

    uint32_t ForText(const QString& text, bool upperCased)
    {
        if (text.constData() == lastData_ && text.size() == lastSize_) return lastBucket_;
        const auto found = byText_.constFind(text);
        const uint32_t bucket =
            found != byText_.cend() ? *found : byText_.insert(text, ForKey(upperCased ? text.toUpper() : text)).value();
        Remember(text, bucket);
        return bucket;
    }

    uint32_t ForCharacter(char32_t code, const QLocale& locale)
    {
        if (code < 128) {
            uint32_t& bucket = ascii_[code];
            if (bucket == NoBucket) bucket = ForKey(UpperCharacter(code, locale));
            return bucket;
        }
        const auto found = byCode_.constFind(code);
        if (found != byCode_.cend()) return *found;
        return byCode_.insert(code, ForKey(UpperCharacter(code, locale))).value();
    }

private:
    static std::array<uint32_t, 128> MakeAscii()
    {
        std::array<uint32_t, 128> table;
        table.fill(NoBucket);
        return table;
    }
    void Remember(const QString& text, uint32_t bucket)
    {
        lastData_ = text.constData();
        lastSize_ = text.size();
        lastBucket_ = bucket;
    }

    QHash<QString, uint32_t> byKey_;
    QHash<QString, uint32_t> byText_;
    QHash<char32_t, uint32_t> byCode_;
    std::array<uint32_t, 128> ascii_ = MakeAscii();
    const QChar* lastData_ = nullptr;
    qsizetype lastSize_ = -1;
    uint32_t lastBucket_ = NoBucket;
};

// The new headers start expanded, so the members of a collapsed section are
// shown again rather than left hidden under a header that claims otherwise.
void ExpandCollapsedSections(const TDataHolder& holder, const TItemList& items)
{
    QSet<QString> collapsed;
    for (const auto& item : items)
        if (item->IsGroup() && !static_cast<const TGroupData&>(*item).GD_COLLAPSED) collapsed.insert(item->ID_GROUP);
    if (collapsed.isEmpty()) return;
    for (const auto& item : items)
        if (!item->IsGroup() && collapsed.contains(item->ID_GROUP)) item->ID_VISIBLE = holder.Shows(*item);
}

}  // namespace

// One run's input, taken on the interface thread, and its result.
struct TDataHolder::TGroupRun {
    TGroupKind Kind = TGroupKind::gkOther;
    QLocale Locale;
    // The list as the run found it: compared again before the result goes in.
    std::vector<const TItemData*> Items;
    std::vector<bool> IsHeader;
    std::vector<char32_t> FirstCharacters;  // by "Name"
    std::vector<QString> Texts;             // by "Ext" and "Path"

    std::vector<QString> Keys;
    // Item indices section by section; section b is [Starts[b], Starts[b + 1]).
    std::vector<uint32_t> Order;
    std::vector<uint32_t> Starts;
    std::vector<std::unique_ptr<TGroupData>> Headers;
};

void TDataHolder::GroupItems(const QString& GroupValue, const QString& OnTerminated)
{
    groupApplied_ = false;
    // Setting a parameter stops a grouping still running; the framework starts
    // this run's worker only after that one has ended.
    TaskManager->CreateTask(QStringLiteral("GroupItems"))
        ->SetParam(ParamGroupValue, GroupValue)
        ->SetParam(ParamOnTerminated, OnTerminated)
        ->SetParam(ParamHolder, static_cast<void*>(this))
        ->OnExecuteEvent([this](TSmartTask* task) { GroupItems_Task(task); })
        ->OnTerminatedEvent([this](TTaskThread* sender) { GroupItems_Task_Terminate(sender); })
        ->Start();
}

void TDataHolder::TakeGroupSnapshot(TGroupRun& Run) const
{
    const size_t count = DH_ITEMS.size();
    Run.Items.reserve(count);
    Run.IsHeader.reserve(count);
    if (Run.Kind == TGroupKind::gkName) Run.FirstCharacters.reserve(count);
    else if (Run.Kind != TGroupKind::gkOther) Run.Texts.reserve(count);
    for (const auto& item : DH_ITEMS) {
        Run.Items.push_back(item.get());
        Run.IsHeader.push_back(item->IsGroup());
        switch (Run.Kind) {
        case TGroupKind::gkName: Run.FirstCharacters.push_back(FirstCodePoint(item->ID_CAPTION)); break;
        case TGroupKind::gkExt: Run.Texts.push_back(item->ID_FILE_DATA.FD_EXT); break;
        case TGroupKind::gkPath: Run.Texts.push_back(item->ID_FILE_DATA.FD_DIR); break;
        case TGroupKind::gkOther: break;
        }
    }
}

void TDataHolder::GroupItems_Task(TSmartTask* SmartTask)
{
    TDataHolder* holder = nullptr;
    SmartTask->GetParam(ParamHolder, holder);
    if (!holder) return;
    QString value;
    SmartTask->GetParam(ParamGroupValue, value);
    TGroupRun run;
    run.Kind = GroupKindOf(value);
    bool wanted = false;
    Synchronize([&] {
        if (!SmartTask->Active()) return;
        wanted = true;
        run.Locale = QLocale();
        holder->TakeGroupSnapshot(run);
        // Nothing to regroup; the end arranges as usual.
        if (run.Items.empty()) holder->groupApplied_ = true;
    });
    if (!wanted || run.Items.empty()) return;

    const size_t count = run.Items.size();
    std::vector<uint32_t> bucketOf(count, NoBucket);
    TBuckets buckets;
    uint32_t defaultBucket = NoBucket;
    for (size_t i = 0; i < count; ++i) {
        if (i % 4096 == 0 && !SmartTask->Active()) return;
        if (run.IsHeader[i]) continue;
        switch (run.Kind) {
        case TGroupKind::gkName: bucketOf[i] = buckets.ForCharacter(run.FirstCharacters[i], run.Locale); break;
        case TGroupKind::gkExt: bucketOf[i] = buckets.ForText(run.Texts[i], true); break;
        // Folders differing only in letter case are different folders here,
        // and the header shows the folder as it is spelled.
        case TGroupKind::gkPath: bucketOf[i] = buckets.ForText(run.Texts[i], false); break;
        case TGroupKind::gkOther:
            if (defaultBucket == NoBucket) defaultBucket = buckets.ForKey(DefaultGroup);
            bucketOf[i] = defaultBucket;
            break;
        }
    }
    run.Keys = std::move(buckets.Keys);

    // A counting sort: stable within each section.
    const size_t sections = run.Keys.size();
    run.Starts.assign(sections + 1, 0);
    for (const uint32_t bucket : bucketOf)
        if (bucket != NoBucket) ++run.Starts[bucket + 1];
    for (size_t b = 0; b < sections; ++b) run.Starts[b + 1] += run.Starts[b];
    run.Order.resize(run.Starts[sections]);
    std::vector<uint32_t> next(run.Starts.begin(), run.Starts.end() - 1);
    for (size_t i = 0; i < count; ++i)
        if (bucketOf[i] != NoBucket) run.Order[next[bucketOf[i]]++] = uint32_t(i);

    run.Headers.reserve(sections);
    for (const QString& key : run.Keys) {
        auto header = std::make_unique<TGroupData>();
        header->ID_FILE_DATA.FD_EXT = QStringLiteral("<Group>");
        header->ID_CAPTION = key;
        header->ID_GROUP = key;
        header->ID_VISIBLE = true;
        header->GD_COLLAPSED = true;
        run.Headers.push_back(std::move(header));
    }
    if (!SmartTask->Active()) return;
    Synchronize([&] {
        if (SmartTask->Active()) holder->groupApplied_ = holder->ApplyGrouping(run);
    });
}

bool TDataHolder::ApplyGrouping(TGroupRun& Run)
{
    if (ListingRuns() || DH_ITEMS.size() != Run.Items.size()) return false;
    for (size_t i = 0; i < DH_ITEMS.size(); ++i)
        if (DH_ITEMS[i].get() != Run.Items[i]) return false;

    // The icon passes read the list and the group keys; they end before either changes.
    EndIconTasks();
    ExpandCollapsedSections(*this, DH_ITEMS);
    TItemList grouped;
    grouped.reserve(Run.Order.size() + Run.Headers.size());
    for (size_t b = 0; b < Run.Headers.size(); ++b) {
        // A key the language file names ("Hard Drives" for ".harddrive") is
        // shown in words; any other shows as it is.
        Run.Headers[b]->ID_CAPTION = Localized(QStringLiteral("Groups"), Run.Keys[b], Run.Keys[b]);
        grouped.push_back(std::move(Run.Headers[b]));
        for (uint32_t k = Run.Starts[b]; k < Run.Starts[b + 1]; ++k) {
            std::unique_ptr<TItemData>& item = DH_ITEMS[Run.Order[k]];
            item->ID_GROUP = Run.Keys[b];
            grouped.push_back(std::move(item));
        }
    }
    // Drawing stays off until the end arranges the new order. What is left of
    // the old list is its headers; they go with it, after the hot and try
    // items have been dropped.
    BeginUpdate();
    HandOverItems(std::move(grouped));
    return true;
}

void TDataHolder::GroupItems_Task_Terminate(TTaskThread*)
{
    // Under a listing the list is about to be replaced; the listing arranges.
    if (!std::exchange(groupApplied_, false) || ListingRuns()) return;
    Arrange();
    StartIconTasks();
    ItemsGrouped();
}

void TDataHolder::ItemsGrouped()
{
    if (OnGrouped) OnGrouped(this);
}

void TDataHolder::StartIconTasks()
{
    if (TIconManager* icons = IconManager()) icons->SetIcons(this);
}
