#pragma once
// Gives every item of a holder its icon without blocking the interface. After
// a holder's list is complete, SetIcons starts two passes on the holder's own
// tasks: the G pass gives each item the icon of its type extension, decoded
// once for the whole program; the S pass gives programs, icon files and
// pictures an icon of their own, decoded once per file. Decoded pictures
// (sources) are shared by all holders; each holder keeps copies scaled to the
// item height (destinations, DH_ICONS_G / DH_ICONS_S) that its items borrow.
//
// Threads. SetIcons, ProcessReserved, ClearCached and the destructor run on
// the main thread; the passes on the holder's tasks, the trimming on the
// manager's task. The source cache is the one structure they share (see
// QV_IconCache.h). An item gets ID_ICON (release) before ID_ICON_READY, with a
// complete bitmap.
//
// Lifetime. A holder ends its icon tasks before its items and destinations
// go; the cache lives on while any pass of any holder still runs, so a holder
// may outlive the manager.

#include "icons/QV_IconCache.h"
#include "tasks/QV_SmartTask.h"

#include <QStringList>

#include <functional>
#include <memory>


class TIconManager {
public:
    TIconManager();
    // Waits for the trimming task; holders' passes keep the cache they use.
    ~TIconManager();
    TIconManager(const TIconManager&) = delete;
    TIconManager& operator=(const TIconManager&) = delete;

    // The current places (PD_PATH) of the open file holders, asked on the main
    // thread when trimming starts. Unset: no place is shown.
    std::function<QStringList()> OpenPlaces;

    // Starts the holder's G pass ("SetIcons_Task_G") and then its S pass
    // ("SetIcons_Task_S"); a pass still running is stopped first. Nothing for nil.
    void SetIcons(TIconHost* DataHolder);
    // Starts the holder's R pass ("SetIcons_Task_R"), which hands reserved
    // sources to waiting holders.
    void ProcessReserved(TIconHost* DataHolder);
    // Starts the trimming of the source cache ("ClearCached_Task").
    void ClearCached();

    // The cached source with exactly this key, or none. Any thread.
    std::shared_ptr<const TSourceData> GetSourceData(const QString& ID) const { return GENERAL_LIST->Find(ID); }
    // The destination with both keys, or none. Any thread.
    static TDestinationData* GetDestData(const TDestinationList& DestList, const QString& Param1,
                                         const QString& Param2)
    {
        return DestList.Find(Param1, Param2);
    }
    // Whether another holder is building the key right now, so this one could
    // wait for it. Always false: every holder builds the sources it lacks, and
    // the cache keeps the first of two built at once. No reservation is made.
    bool IsProcessing_G(TIconHost*, const QString&) const { return false; }
    bool IsProcessing_S(TIconHost*, const QString&) const { return false; }

    const TSourceCache& Sources() const { return *GENERAL_LIST; }
    // The trimming task runs.
    bool Trimming() const { return IM_THREAD_CACHE->Active(); }

private:
    std::shared_ptr<TSourceCache> GENERAL_LIST;
    std::unique_ptr<TSmartTask> IM_THREAD_CACHE;
    // Cleared by the destructor; what a pass's end, carried to the main
    // thread, checks before it asks this manager for more work.
    std::shared_ptr<TIconManager*> self_;
};

// The process-wide icon manager, set by the view for its lifetime; nil before.
TIconManager* IconManager();
void SetIconManager(TIconManager* manager);
