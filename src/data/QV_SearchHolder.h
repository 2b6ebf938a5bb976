#pragma once
// The content of a search tab: a search definition (the name text and the start
// folders), the search run in the background at the lowest priority, its
// progress for the search bar, and the results.
//
// A run walks every folder below the start folders, depth first, and examines
// the names of each folder as it reads it: one read of each folder, where a
// collecting pass and a scanning pass would read every folder twice and show
// nothing until all were collected. The progress runs over the folders known so
// far. Results appear while it runs: the worker hands them over in batches, at
// once for the first and then at most every 100 ms, each appended on the
// interface thread in one go (see QV_DataHolder.h), together with the progress
// fields. A run that ends on its own groups the results by folder; a stopped
// one shows what it found, ungrouped.
//
// Threads: everything here runs on the interface thread, the worker apart, and
// the progress fields are written only by the hand-overs, on that thread too.

#include "data/QV_DataHolder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Case-insensitive substring matching of file names: both sides under Unicode
// full case folding ("ß" matches "ss", "É" matches "é") and in decomposed form,
// so a name stored with a combining accent matches one typed precomposed.
// Accents still count: "cafe" does not match "café". An empty text matches
// nothing. Each name is folded once; names of plain ASCII, the common case,
// are compared byte by byte without decoding.
class TNameMatcher {
public:
    explicit TNameMatcher(const QString& Text);
    bool Empty() const { return key_.isEmpty(); }
    bool Matches(const QString& Name) const;
    // The bytes of a name as the directory gives them; they need not be UTF-8.
    bool Matches(const char* Bytes, size_t Length) const;
    // The form both sides are compared in.
    static QString Fold(const QString& Text);

private:
    QString key_;
    QByteArray asciiKey_;  // the key when it is plain ASCII, lower case
    bool asciiKeyOnly_ = false;
};

class TSearchHolder : public TDataHolder {
public:
    // One start folder: every local volume ("QDrive:\").
    TSearchHolder();
    // Stops the run and waits for it before anything goes.
    ~TSearchHolder() override;

    std::unique_ptr<TSearchData> SH_SEARCH_DATA;
    bool SH_SEARCHING = false;
    // The folder being read, the entry being examined, or "Done".
    QString SH_STATUS_NAME;
    // The number of entries found so far, as text.
    QString SH_STATUS_FOUND;
    int SH_SEARCH_POS = 0;  // percent
    int SH_SEARCH_IDX = 0;  // the folder being read
    int SH_SEARCH_MAX = 0;  // the number of folders known so far - 1

    // Called on the interface thread when a run has ended: after its grouping,
    // or once stopped.
    std::function<void(TSearchHolder* Sender)> OnSearched;

    void AddSearchName(const QString& Name);
    // Starts a search, or stops the running one. A running search whose name
    // or folders have changed since it started is replaced by a new one.
    void Search();
    // Stops the running search; false when none runs.
    bool SearchStop();
    bool Searching() const;
    int GetPercent() const;
    // Whether the entry name contains the search text.
    bool FileMatches(const QString& Name) const;

    // --- Slots ---
    // The common keys, and Ctrl+C copies the selected results as in a folder.
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override;
    void On_Activate() override;
    void ThemeLoad() override;
    QString HolderMenuName() const override { return QStringLiteral("SearchHolderMenu"); }
    // "Nothing found" once a search has ended without a result.
    QString EmptyText() const override;

    // What one hand-over brings; the worker's own copy until then.
    struct TProgress {
        QString StatusName;
        int Found = 0;
        int Index = 0;
        int Max = 0;
    };
    // Interface thread: takes a batch of results of run Run with its progress.
    // A batch of a run that has been replaced, or that arrives while the holder
    // goes, is dropped.
    void TakeResults(int Run, TItemList& Batch, const TProgress& Progress);

protected:
    bool ListingRuns() const override { return Searching(); }
    void ItemsGrouped() override;

private:
    void StartRun();
    void Search_Task_Terminate();
    void Search_Task_Stop();
    bool LatestRunEnded();
    bool Removed() const;

    int runSerial_ = 0;
    int runsStarted_ = 0;
    int runsEnded_ = 0;
    QString runName_;
    QStringList runPaths_;
    bool groupingResults_ = false;
    bool closing_ = false;
};
