#pragma once
// The program-wide cache of decoded icon pictures. One lock serialises every
// lookup, append and trim; entries are shared pointers, so a pass that holds
// one keeps copying from it safely even after a trim has dropped it.

#include "icons/QV_IconTypes.h"

#include <QStringList>

#include <atomic>

// Trimming begins at this many cached sources.
inline constexpr int kTrimThreshold = 300;

class TSourceCache {
public:
    // The first source whose SD_ID equals id exactly, or none.
    std::shared_ptr<const TSourceData> Find(const QString& id) const;
    // Appends the source unless one with its key arrived meanwhile (another
    // holder built it at the same time); answers the cached one either way.
    std::shared_ptr<const TSourceData> Add(std::shared_ptr<const TSourceData> source);
    int Count() const;
    bool Contains(const QString& id) const { return Find(id) != nullptr; }

    // From a threshold of kTrimThreshold sources, frees from the last to the
    // first every per-file source whose folder is none of the places (each
    // without trailing delimiter); type sources always stay. keepGoing is asked
    // between entries. Answers how many were freed.
    int Trim(const QStringList& places, const std::function<bool()>& keepGoing = {});

    // Pixel bytes held by the cached pictures.
    qint64 Bytes() const;

    // Decodes made to build sources (fallback pictures included) and questions
    // put to the desktop's icon theme. Counted for tests and benchmarks.
    std::atomic<int> Decodes{0};
    std::atomic<int> SystemLookups{0};

private:
    mutable std::mutex lock_;
    std::vector<std::shared_ptr<const TSourceData>> list_;
    QHash<QString, std::shared_ptr<const TSourceData>> index_;
};

// A key naming a file rather than a type: on this platform paths carry "/",
// type extensions never do.
bool IsFileKey(const QString& key);
// The folder of a file key without trailing delimiter ("" for the root).
QString KeyFolder(const QString& key);
