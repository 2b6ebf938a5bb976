#pragma once
// Fills a control's child list from a section of the settings file on a
// worker: the control manager makes each line's control (unknown commands make
// none), Prepare adjusts the new items on the worker, and the whole list is
// handed over on the interface thread at once, so painting never meets a list
// being filled. Done then runs on the interface thread, right after the
// hand-over; a load that a newer one replaced hands over nothing.
//
// The loader belongs to its owner and stops (and waits for) its run when it
// goes, before the owner's lists do.

#include <QString>

#include <functional>
#include <memory>

class TControlList;
class TSmartCtrl;
class TSmartTask;

class TBarItemLoader {
public:
    using TPrepare = std::function<void(TControlList& Items)>;
    TBarItemLoader(TSmartCtrl* Owner, TControlList* List, QString Section, TPrepare Prepare,
                   std::function<void()> Done);
    ~TBarItemLoader();
    TBarItemLoader(const TBarItemLoader&) = delete;
    TBarItemLoader& operator=(const TBarItemLoader&) = delete;

    // Stops a running load and starts a new one.
    void Start();
    // A load has been started and has not ended yet.
    bool Running() const;
    // Loads handed over since creation.
    int Loads() const { return loads_; }

private:
    TSmartCtrl* owner_;
    TControlList* list_;
    QString section_;
    TPrepare prepare_;
    std::function<void()> done_;
    std::unique_ptr<TSmartTask> task_;
    int loads_ = 0;
    int generation_ = 0;  // interface thread
};
