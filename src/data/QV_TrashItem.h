#pragma once
// An entry of the trash as the trash place shows it: named as it was before it
// was trashed, drawn twice as wide as a file with a second line that says
// where it came from and when it was deleted. Its FD_PATH is the entry in the trash's files/ folder (icons
// and properties read the real file there) and FD_NAME the entry's name in that
// folder, unique within its trash. It is never opened, entered or renamed:
// what it offers is restoring and deleting for good, through the "TRASHED" menu.
//
// Threads: made by the trash listing worker; afterwards the interface thread.

#include "data/QV_HolderLayout.h"
#include "data/QV_ItemData.h"

#include <memory>

struct TTrashEntry;

class TTrashItem : public TItemData {
public:
    TTrashItem();

    // Where it was before it went to the trash; empty when its information
    // file does not say (or says something outside its volume).
    QString TI_ORIGINAL;
    // When it was deleted, milliseconds since the epoch; 0 when unknown.
    qint64 TI_DELETED = 0;

    void On_Paint(TDataHolder* DataHolder, TBitmap32& ID_CANVAS, const QRect& Rect) override;
    // A trashed file is not opened and a trashed folder not entered.
    void On_MouseDouble(TDataHolder* DataHolder, TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The name it had, extension included.
    void CreateCaption() override;
    bool Directory() override { return false; }

    // The second line: the folder it came from ("Original location unknown"
    // when that is not known) and the date it was deleted, when known.
    QString PlaceText() const;
    QString DeletedText() const;
};

// The item of one trash entry. Safe on a worker thread.
std::unique_ptr<TTrashItem> CreateTrashItem(const TTrashEntry& Entry);

// Newest deletion first, then by caption; the order the trash place shows.
void SortTrashItems(TItemList& Items);
