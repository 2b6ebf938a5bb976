#pragma once
// The items a data holder shows (files, folders, drives, group headers) with the
// file-system facts of their entries, and the small records the holders share:
// history entries, search definitions, item links and mouse-button states.
//
// Threads: items are created and filled by listing workers in lists that no
// painter sees yet (see QV_DataHolder.h); once handed to a holder every
// operation runs on the interface thread, except the icon pair: an icon task
// stores ID_ICON and then sets ID_ICON_READY, and painting reads ID_ICON only
// after seeing ID_ICON_READY.

#include "controls/QV_InputTypes.h"
#include "foundation/QV_System.h"

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class TBitmap32;
class TDataHolder;
class TDataLink;
class TFolderTheme;
class TFont;
struct TDirEntry;

struct TFileData {
    QString FD_NAME;
    QString FD_PATH;
    QString FD_DIR;   // with a trailing delimiter
    QString FD_EXT;   // the type extension
    qint64 FD_SIZE = 0;
    // Milliseconds since the epoch (UTC); LocalTime() gives the local calendar value.
    qint64 FD_TIME_CREATE = 0;
    qint64 FD_TIME_ACCESS = 0;
    qint64 FD_TIME_WRITE = 0;
    bool FD_HIDDEN = false;
    bool FD_SYSTEM = false;
    bool FD_READONLY = false;
    bool FD_LINK = false;   // the entry is a symbolic link (drawn with a link mark)
    QString FD_LABEL;       // a launcher's own name, shown instead of FD_NAME

    static QDateTime LocalTime(qint64 time) { return FileTimeToDateTime(time); }
};

// Spelled as the program has always spelled it.
enum TItemSate { isNormal, isHot, isSel, isHotSel, isCut, isHotCut };

// The folder theme's font of an item state, and the skin's background image
// of it; none for the cut states, which items do not draw.
const TFont* ItemStateFont(const TFolderTheme& Theme, TItemSate State);
QString ItemBackImage(TItemSate State);
enum TViewStyle { vsIcon, vsTile, vsList };

class TItemData {
public:
    TItemData();
    virtual ~TItemData();
    TItemData(const TItemData&) = delete;
    TItemData& operator=(const TItemData&) = delete;

    bool ID_VISIBLE = true;
    QPoint ID_POS{-200, -200};  // content coordinates
    int ID_WIDTH;
    int ID_HEIGHT;
    QString ID_CAPTION = QStringLiteral("Item :)");
    QString ID_GROUP = QStringLiteral("<default>");
    QString ID_MENU;  // empty: FD_EXT names the item's menu
    TItemSate ID_STATE = isNormal;
    TViewStyle ID_STYLE = vsTile;
    TFileData ID_FILE_DATA;
    // Borrowed from the holder's icon cache; drawn only once ID_ICON_READY is set.
    std::atomic<const TBitmap32*> ID_ICON{nullptr};
    std::atomic<bool> ID_ICON_READY{false};

    // --- The seven slots ---
    // Nothing without a holder.
    virtual void On_Paint(TDataHolder* DataHolder, TBitmap32& ID_CANVAS, const QRect& Rect);
    // Called when the pointer moves off the item: leaves the hot state.
    virtual void On_Enter();
    // Called when the pointer moves onto the item: enters the hot state.
    virtual void On_Leave();
    virtual void On_Select();
    virtual void On_MouseDouble(TDataHolder* DataHolder, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void CreateCaption();
    // The entry exists on a ready volume and can be listed.
    virtual bool Directory();

    // Group headers are laid out, hit-tested and counted differently.
    virtual bool IsGroup() const { return false; }

    bool Selected() const { return ID_STATE == isSel || ID_STATE == isHotSel; }
    void Select();
    void DeSelect();
    // Renames on disk without replacing anything; a failure shows the localized
    // "Can not rename: " message with the old path and leaves the item as it was.
    void Rename(const QString& Name);
    // On the view, right and bottom exclusive; an empty rectangle without a holder.
    QRect ItemRect(const TDataHolder* DataHolder) const;
    void CreateIcon() {}
    std::unique_ptr<TDataLink> DataLink();
    void SetVisible(bool Value) { ID_VISIBLE = Value; }
    // What a tip over the item shows: the whole caption when it is drawn cut
    // short, else nothing. Nothing without a holder.
    QString CutCaptionTip(const TDataHolder* DataHolder) const;

protected:
    // The shared drawing of items and group headers.
    void PaintItem(TDataHolder* DataHolder, TBitmap32& Canvas, const QRect& Rect, const char* const Images[4],
                   int CaptionLeft, unsigned Flags, bool DrawIcon);
};

class TFileItem : public TItemData {
public:
    // Opens the file as the desktop would; a program only when the user agrees
    // (see QV_OpenFile.h).
    void On_MouseDouble(TDataHolder* DataHolder, TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

class TFolderItem : public TItemData {
public:
    // Opens the folder the way the holder opens folders, when it can be listed.
    void On_MouseDouble(TDataHolder* DataHolder, TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The whole name: a folder's name has no extension to hide.
    void CreateCaption() override;
};

enum TDeviceType { dtHardDrive, dtScanner };

class TDeviceItem : public TItemData {
public:
    TDeviceItem();
    TDeviceType DeviceType = dtHardDrive;
    QString FileSystem;
    // Opens the drive root without the Directory() test.
    void On_MouseDouble(TDataHolder* DataHolder, TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

class TGroupData : public TItemData {
public:
    bool GD_COLLAPSED = true;

    void On_Paint(TDataHolder* DataHolder, TBitmap32& ID_CANVAS, const QRect& Rect) override;
    void On_MouseDouble(TDataHolder* DataHolder, TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool IsGroup() const override { return true; }

    // Flips GD_COLLAPSED, shows the group's members when it is now true and hides
    // them when false, and arranges the holder. Nothing without a holder.
    void Collapse(TDataHolder* DataHolder);
};

// A borrowed reference to an item, carried across an operation that changes the
// holder.
class TDataLink {
public:
    TItemData* DL_ITEM = nullptr;
};

// The item a listing entry makes: a TFolderItem for a folder, else a TFileItem,
// filled and captioned (a launcher by its own name). path is the listed folder
// with a trailing delimiter. Safe on a worker thread.
std::unique_ptr<TItemData> CreateListedItem(const TDirEntry& Entry, const QString& Path);

enum TPathType { ptFolder, ptRoot, ptRecycle, ptQDrive };

class TPathData {
public:
    QString PD_PATH;
    TPathType PD_TYPE = ptFolder;
    int PD_SCROLL_POS = 0;
};

class TSearchData {
public:
    QString SD_NAME;
    QStringList SD_PATHS;
    bool SD_SUBFOLDERS = true;
    bool SD_REMOVABLE = true;
    bool SD_HIDDEN = true;

    // "QDrive:\" adds the root of every fixed drive, in path order.
    void AddPath(const QString& Path, bool Clear);
    // The first start folder, or "Select Search Path!".
    QString GetPath() const;
    void Clear() { SD_PATHS.clear(); }
};

class TButtonState {
public:
    bool BS_LEFT_DOWN = false;
    bool BS_RIGHT_DOWN = false;
    bool BS_MIDDLE_DOWN = false;
    TShiftState BS_STATE = 0;
};
