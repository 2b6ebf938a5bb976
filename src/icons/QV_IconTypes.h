#pragma once
// The records of the icon cache: decoded pictures shared by the whole program
// (sources), each holder's copies scaled to its item height (destinations) and
// the hand-over requests between holders (reservations).

#include "platform/image/QV_Bitmap32.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TIconHost;
class TSmartTask;

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
    TIconHost* RD_Sender = nullptr;    // the waiting holder
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

// Which of a holder's icon tasks: the type-icon pass, the per-file pass, the
// hand-over of reserved sources.
enum class TIconTask { itGeneral, itSpecial, itReserved };

// One item as an icon pass sees it. The texts stay put while the pass runs;
// the pass publishes Icon (release) before Ready.
struct TIconSlot {
    const QString* Ext = nullptr;   // the type extension: the key of a type icon
    const QString* Path = nullptr;  // the full path: the key of a per-file icon
    const QString* Group = nullptr; // the item's group, the second key of a destination
    std::atomic<const TBitmap32*>* Icon = nullptr;
    std::atomic<bool>* Ready = nullptr;
};

// What the icon passes need of the holder they serve. The holder supplies it,
// so the icon layer knows nothing of items and holders.
//
// Threads. The passes call it on their task's thread. The holder ends its
// icon passes before it changes its item list or renames an item, so the list
// a pass walks stays as it was while the pass runs.
class TIconHost {
public:
    virtual TSmartTask* IconTask(TIconTask which) = 0;
    // The key the G or S pass is building right now; written by that pass only.
    virtual QString& IconBuilding(TIconTask which) = 0;
    // The holder's scaled copies of type icons (itGeneral) or per-file icons (itSpecial).
    virtual TDestinationList& IconDestinations(TIconTask which) = 0;
    virtual TReservedList& IconReservations() = 0;
    virtual int IconItemCount() const = 0;
    virtual TIconSlot IconItem(int index) = 0;

protected:
    ~TIconHost() = default;
};
