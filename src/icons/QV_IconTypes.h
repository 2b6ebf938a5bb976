#pragma once
// The records of the icon cache: decoded pictures shared by the whole program
// (sources), each holder's copies scaled to its item height (destinations) and
// the hand-over requests between holders (reservations).

#include "platform/QV_Bitmap32.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TDataHolder;

// Immutable once it is in the cache, so a pass may copy from it without the
// cache's lock while its shared pointer keeps it alive.
class TSourceData {
public:
    QString SD_ID;  // a type extension (".txt") or a full file path
    TBitmap32 SD_IMAGE;
};

class TDestinationData {
public:
    QString DD_ID;       // the source's key
    QString DD_PARAM_2;  // the ID_GROUP of the item it was made for
    TBitmap32 DD_IMAGE;  // items borrow this bitmap: it never moves or changes once listed
};

class TReservedData {
public:
    QString RD_ID;                     // the waiting holder's DH_ID
    TDataHolder* RD_Sender = nullptr;  // the waiting holder
    QString RD_GENERAL;                // a type-extension key, or empty
    QString RD_SPECIAL;                // a file-path key, or empty
};

// One holder's destinations of one kind. Entries are only ever appended and
// live until the list goes, so the bitmaps items point at stay put. Any thread.
class TDestinationList {
public:
    // The first destination with both keys equal, or none.
    TDestinationData* Find(const QString& id, const QString& group) const;
    // Appends unless an entry with the same keys is there already; answers the
    // entry that is in the list.
    TDestinationData* Add(std::unique_ptr<TDestinationData> dest);
    int Count() const;
    // Pixel bytes held by the scaled copies.
    qint64 Bytes() const;

private:
    static QString Key(const QString& id, const QString& group) { return id + QChar(0) + group; }
    mutable std::mutex lock_;
    std::vector<std::unique_ptr<TDestinationData>> list_;
    QHash<QString, TDestinationData*> index_;
};

// A holder's waiting reservations. Any thread.
class TReservedList {
public:
    void Add(const TReservedData& data);
    // Removes and answers the first reservation; false when there is none.
    bool TakeFirst(TReservedData& data);
    bool Empty() const;

private:
    mutable std::mutex lock_;
    std::vector<TReservedData> list_;
};
