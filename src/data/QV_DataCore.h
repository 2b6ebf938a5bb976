#pragma once
// The registry of open data holders: one per tab, file or search, in the
// order their tabs were created. It tracks the active holder, switches
// activation, removes holders, stops all work at shutdown and records closed
// folder tabs in the recent-tabs list of the settings file.
//
// A removed holder whose workers are still inside the file system (a listing
// stuck on a network mount that stopped answering) is not waited for: a reaper
// keeps it, out of every list, and frees it once its workers have ended.
//
// Threads: the interface thread only.

#include "data/QV_DataHolder.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QTimer;
class TFileHolder;

class TDataCore {
public:
    TDataCore();
    // Removes every holder (Clear).
    ~TDataCore();
    TDataCore(const TDataCore&) = delete;
    TDataCore& operator=(const TDataCore&) = delete;

    TDataHolder* DC_HOLDER_ACTIVE = nullptr;  // made active last
    TDataHolder* DC_HOLDER_TRY = nullptr;     // got On_Activate last: the next to deactivate
    std::vector<std::unique_ptr<TDataHolder>> DC_LIST;
    TDataHolder* DC_HOLDER = nullptr;         // the one the view paints and feeds

    // Makes the holders of search tabs in place of a TSearchHolder (tests).
    std::function<std::unique_ptr<TDataHolder>()> MakeSearchHolder;

    // Appended, announced to the tab strip when there is one; neither activated
    // nor navigated.
    TFileHolder* Holder_Add_File();
    TDataHolder* Holder_Add_Search();
    // Stops the holder's work and forgets every reference to it. It is freed at
    // once when its workers have ended, else by the reaper once they have.
    bool Holder_Rem(int IDX);
    int Holder_Find(const QString& ID) const;
    TDataHolder* Holder_Get(int IDX) const;
    TDataHolder* Holder_Get(const QString& ID) const;
    // Unknown ID: nil and nothing changes.
    TDataHolder* Holder_Activate(const QString& ID);
    // Out of range: activates none, deactivating the current holder.
    TDataHolder* Holder_Activate(int IDX);
    TDataHolder* Holder_Activate(TDataHolder* DataHolder);
    int Count() const { return int(DC_LIST.size()); }
    // Removes every holder, then waits up to ShutdownWaitMs (serving
    // synchronized calls) for the reaper to free them.
    void Clear();
    // Removed holders still waiting for their workers.
    int Reaping() const { return int(reaped_.size()); }
    static constexpr int ShutdownWaitMs = 2000;
    void StopThreads();
    // Records a file holder's current place in the recent tabs of the settings
    // file, once, rotating the oldest out beyond the MaxRecent setting. With a
    // MaxRecent of 0 (or less) it remembers none and forgets those recorded.
    void SaveRecent(TDataHolder* DataHolder);

private:
    // Frees the removed holders whose workers have ended.
    void Reap();

    std::vector<std::unique_ptr<TDataHolder>> reaped_;
    std::unique_ptr<QTimer> reapTimer_;
};

// The process-wide data core, set by the view for its lifetime; nil otherwise.
TDataCore* DataCore();
void SetDataCore(TDataCore* Core);

// The current place of a file holder; empty for any other holder and for none.
QString FilePlace(const TDataHolder* Holder);

// The places of the open file tabs, in tab order (interface thread).
QStringList OpenFilePlaces();

// "Path(«path»)": how the recent tabs and the last session store a place. A
// path the parameter readers or the settings file would not give back whole (an
// unbalanced parenthesis, a line break, "=", ",,", a leading "%") is stored as
// "%" and the path with those characters as %XX; places are absolute, so no
// entry stored before that escape existed starts with "%".
QString PlaceEntry(const QString& Path);
// The place of an entry (with or without "Tab(n)=" in front), empty for none.
QString EntryPlace(const QString& Entry);
