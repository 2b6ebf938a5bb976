#include "icons/QV_IconCache.h"

#include <QSet>

#include <algorithm>

namespace {

QString WithoutTrailingSlashes(QString path)
{
    while (path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

} // namespace

bool IsFileKey(const QString& key) { return key.contains(QLatin1Char('/')); }

QString KeyFolder(const QString& key) { return WithoutTrailingSlashes(key.left(key.lastIndexOf(QLatin1Char('/')))); }

std::shared_ptr<const TSourceData> TSourceCache::Find(const QString& id) const
{
    std::lock_guard guard(lock_);
    return index_.value(id);
}

std::shared_ptr<const TSourceData> TSourceCache::Add(std::shared_ptr<const TSourceData> source)
{
    std::lock_guard guard(lock_);
    if (auto existing = index_.value(source->SD_ID)) return existing;
    index_.insert(source->SD_ID, source);
    list_.push_back(source);
    return source;
}

int TSourceCache::Count() const
{
    std::lock_guard guard(lock_);
    return int(list_.size());
}

int TSourceCache::Trim(const QStringList& places, const std::function<bool()>& keepGoing)
{
    QSet<QString> shown;
    for (const QString& place : places) shown.insert(WithoutTrailingSlashes(place));

    std::lock_guard guard(lock_);
    if (int(list_.size()) < kTrimThreshold) return 0;
    int freed = 0;
    for (size_t i = list_.size(); i-- > 0;) {
        if (keepGoing && !keepGoing()) break;
        const QString& key = list_[i]->SD_ID;
        if (!IsFileKey(key) || shown.contains(KeyFolder(key))) continue;
        index_.remove(key);
        list_.erase(list_.begin() + qsizetype(i));
        ++freed;
    }
    return freed;
}

qint64 TSourceCache::Bytes() const
{
    std::lock_guard guard(lock_);
    qint64 bytes = 0;
    for (const auto& source : list_) bytes += qint64(source->SD_IMAGE.Image().sizeInBytes());
    return bytes;
}

// --- Destinations and reservations ---

TDestinationData* TDestinationList::Find(const QString& id, const QString& group) const
{
    std::lock_guard guard(lock_);
    return index_.value(Key(id, group));
}

TDestinationData* TDestinationList::Add(std::unique_ptr<TDestinationData> dest)
{
    std::lock_guard guard(lock_);
    const QString key = Key(dest->DD_ID, dest->DD_PARAM_2);
    if (TDestinationData* existing = index_.value(key)) return existing;
    TDestinationData* added = list_.emplace_back(std::move(dest)).get();
    index_.insert(key, added);
    return added;
}

int TDestinationList::Count() const
{
    std::lock_guard guard(lock_);
    return int(list_.size());
}

qint64 TDestinationList::Bytes() const
{
    std::lock_guard guard(lock_);
    qint64 bytes = 0;
    for (const auto& dest : list_) bytes += qint64(dest->DD_IMAGE.Image().sizeInBytes());
    return bytes;
}

void TReservedList::Add(const TReservedData& data)
{
    std::lock_guard guard(lock_);
    list_.push_back(data);
}

bool TReservedList::TakeFirst(TReservedData& data)
{
    std::lock_guard guard(lock_);
    if (list_.empty()) return false;
    data = list_.front();
    list_.erase(list_.begin());
    return true;
}

bool TReservedList::Empty() const
{
    std::lock_guard guard(lock_);
    return list_.empty();
}
