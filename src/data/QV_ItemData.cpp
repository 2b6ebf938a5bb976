#include "data/QV_ItemData.h"

#include "controls/QV_Repaint.h"
#include "data/QV_DataCore.h"
#include "data/QV_DataHolder.h"
#include "data/QV_HolderHost.h"
#include "data/QV_OpenFile.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileOps.h"
#include "platform/desktop/QV_Font.h"
#include "platform/desktop/QV_Launch.h"
#include "platform/desktop/QV_TextDraw.h"
#include "platform/fs/QV_Mounts.h"
#include "theme/QV_SkinBuffer.h"

#include <QSet>

namespace {

const char* const ItemImages[4] = {"ItemNormalBack", "ItemHotBack", "ItemSelBack", "ItemHotSelBack"};
const char* const GroupImages[4] = {"GroupNormalBack", "GroupHotBack", "GroupSelBack", "GroupHotSelBack"};

// Beside the icon, centred vertically, one line, end ellipsis, no prefix.
constexpr unsigned ItemCaptionFlags = tfVCenter | tfWordBreak | tfSingleLine | tfNoPrefix | tfEndEllipsis;
constexpr unsigned GroupCaptionFlags = 0x8825;


// A name the user typed is one path component: nothing that walks elsewhere.
bool IsPlainName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QChar(0));
}

// What an entry is comes from the file system, never from its name: a file
// called "x.folder" is a file of no known type.
QString KindTypeKey(const QString& folder, const TDirEntry& entry)
{
    const QString key = TypeKey(folder, entry);
    return !entry.Is(faDirectory) && key == QLatin1String(".folder") ? QStringLiteral(".unknown") : key;
}

QString TypeKeyOfName(const TFileData& data, bool folder)
{
    TDirEntry entry;
    entry.Name = data.FD_NAME;
    if (folder) entry.Attributes = faDirectory;
    return KindTypeKey(data.FD_DIR, entry);
}

// The items of a listing share their type-extension texts: a folder holds few
// distinct ones, and 100,000 separate copies of ".jpg" would cost an allocation
// each. The table belongs to the calling thread (listing workers live for one
// run), so no lock is needed; the shared texts are reference-counted atomically.
QString SharedTypeKey(const QString& key)
{
    thread_local QSet<QString> known;
    const auto found = known.constFind(key);
    if (found != known.cend()) return *found;
    if (known.size() > 4096) known.clear();
    known.insert(key);
    return key;
}

// A small arrow in a box at the icon's lower left corner, as file managers
// mark a symbolic link; drawn only by the interface thread.
const TBitmap32& LinkMark()
{
    static const TBitmap32 mark = [] {
        constexpr int Size = 11;
        TBitmap32 bitmap;
        bitmap.SetSize(Size, Size);
        bitmap.Clear(Argb(255, 255, 255, 255));
        bitmap.FrameRect(QRect(0, 0, Size, Size), Argb(255, 96, 96, 96), TDrawMode::dmOpaque);
        const TColor32 ink = Argb(255, 32, 32, 32);
        for (int i = 0; i < 6; ++i) {  // the shaft, two pixels wide, up to the right
            bitmap.SetPixel(2 + i, 8 - i, ink);
            bitmap.SetPixel(3 + i, 8 - i, ink);
        }
        for (int i = 4; i <= 8; ++i) {  // the head: along the top and down the right
            bitmap.SetPixel(i, 2, ink);
            bitmap.SetPixel(8, 2 + (i - 4), ink);
        }
        return bitmap;
    }();
    return mark;
}

int CaptionLeftOf(const TItemData& item) { return item.IsGroup() ? 40 : Settings().Browsing.ItemHeight + 5; }

} // namespace

TItemData::TItemData() : ID_WIDTH(Settings().Browsing.ItemWidth), ID_HEIGHT(Settings().Browsing.ItemHeight) {}

TItemData::~TItemData() = default;

void TItemData::PaintItem(TDataHolder* DataHolder, TBitmap32& Canvas, const QRect& Rect, const char* const Images[4],
                          int CaptionLeft, unsigned Flags, bool DrawIcon)
{
    if (!DataHolder) return;
    const TFont* font = ItemStateFont(*DataHolder->DH_FOLDER_THEME, ID_STATE);
    if (!font) return;  // the cut states have neither image nor font
    if (THolderHost* host = HolderHost())
        if (TSkinBuffer* skin = host->ItemSkin())
            skin->DrawImage(QString::fromLatin1(Images[ID_STATE]), Canvas, Rect.left(), Rect.top(), ID_WIDTH,
                            ID_HEIGHT);
    const QRect caption(Rect.left() + CaptionLeft, Rect.top(), ID_WIDTH - CaptionLeft, ID_HEIGHT);
    Canvas.Font = *font;
    Canvas.DrawText(caption, ID_CAPTION, Flags);
    if (!DrawIcon || !ID_ICON_READY.load(std::memory_order_acquire)) return;
    const TBitmap32* icon = ID_ICON.load(std::memory_order_acquire);
    if (!icon) return;
    const int iconTop = Rect.top() + (ID_HEIGHT - icon->Height()) / 2;
    Canvas.Draw(Rect.left(), iconTop, *icon);
    if (!ID_FILE_DATA.FD_LINK) return;
    const TBitmap32& mark = LinkMark();
    Canvas.Draw(Rect.left(), iconTop + icon->Height() - mark.Height(), mark);
}

void TItemData::On_Paint(TDataHolder* DataHolder, TBitmap32& ID_CANVAS, const QRect& Rect)
{
    PaintItem(DataHolder, ID_CANVAS, Rect, ItemImages, CaptionLeftOf(*this), ItemCaptionFlags, true);
}

void TItemData::On_Enter()
{
    if (ID_STATE == isHot) ID_STATE = isNormal;
    else if (ID_STATE == isHotSel) ID_STATE = isSel;
    RequestRepaint();
}

void TItemData::On_Leave()
{
    if (ID_STATE == isNormal) ID_STATE = isHot;
    else if (ID_STATE == isSel) ID_STATE = isHotSel;
    RequestRepaint();
}

void TItemData::On_Select() {}

void TItemData::On_MouseDouble(TDataHolder*, TMouseButton, TShiftState, int, int) {}

void TItemData::CreateCaption()
{
    const QString& name = ID_FILE_DATA.FD_NAME;
    if (!ID_FILE_DATA.FD_LABEL.isEmpty()) {
        ID_CAPTION = ID_FILE_DATA.FD_LABEL;
        RequestRepaint();
        return;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    ID_CAPTION = Settings().Browsing.HideFileExtension && dot >= 0 ? name.left(dot) : name;
    RequestRepaint();
}

bool TItemData::Directory()
{
    const QString path = ExcludeTrailingPathDelimiter(ID_FILE_DATA.FD_PATH);
    // FolderHasEntries would miss an empty folder; only "can it be opened" counts.
    return PathExists(path) && !ListDirectory(path, TDirOrder::doUnsorted, [] { return true; }).Failed;
}

void TItemData::Select()
{
    if (Selected()) return;
    ID_STATE = isSel;
    RequestRepaint();
}

void TItemData::DeSelect()
{
    if (ID_STATE == isNormal) return;
    ID_STATE = isNormal;
    RequestRepaint();
}

namespace {

// The open holder that shows the item, if any.
TDataHolder* HolderOf(const TItemData* item)
{
    if (const TDataCore* core = DataCore())
        for (const auto& holder : core->DC_LIST)
            for (const auto& shown : holder->Items())
                if (shown.get() == item) return holder.get();
    return nullptr;
}

}  // namespace

const TFont* ItemStateFont(const TFolderTheme& Theme, TItemSate State)
{
    switch (State) {
    case isNormal: return &Theme.FT_FONT_NORMAL;
    case isHot: return &Theme.FT_FONT_HOT;
    case isSel: return &Theme.FT_FONT_SEL;
    case isHotSel: return &Theme.FT_FONT_HOTSEL;
    default: return nullptr;
    }
}

QString ItemBackImage(TItemSate State)
{
    return State >= isNormal && State <= isHotSel ? QString::fromLatin1(ItemImages[State]) : QString();
}

void TItemData::Rename(const QString& Name)
{
    TFileData& data = ID_FILE_DATA;
    if (Name.isEmpty() || Name == data.FD_NAME) return;
    const QString target = IncludeTrailingPathDelimiter(data.FD_DIR) + Name;
    if (!IsPlainName(Name) || !RenamePath(data.FD_PATH, target)) {
        const QString text = LocaleManager()
                                 ? LocaleManager()->GetLocalized(QStringLiteral("Messages"), QStringLiteral("CannotRename"),
                                                                 QStringLiteral("Can not rename: "))
                                 : QStringLiteral("Can not rename: ");
        if (THolderHost* host = HolderHost()) host->ShowMessage(text + DisplayFileName(data.FD_PATH));
        return;
    }
    // The icon passes of the item's holder read its path and type; they end
    // first and run again for the new name.
    TDataHolder* owner = HolderOf(this);
    if (owner) owner->EndIconTasks();
    data.FD_PATH = target;
    data.FD_NAME = Name;
    data.FD_EXT = TypeKeyOfName(data, dynamic_cast<const TFolderItem*>(this) != nullptr);
    data.FD_LABEL = data.FD_EXT == QLatin1String(".desktop") ? LauncherName(target) : QString();
    CreateCaption();
    if (owner) owner->StartIconTasks();
}

QRect TItemData::ItemRect(const TDataHolder* DataHolder) const
{
    if (!DataHolder) return QRect();
    const int scroll = DataHolder->DH_SCROLL_POS;
    return QRect(ID_POS.x(), ID_POS.y() - scroll, ID_WIDTH, ID_HEIGHT);
}

QString TItemData::CutCaptionTip(const TDataHolder* DataHolder) const
{
    if (!DataHolder) return QString();
    const TFont* font = ItemStateFont(*DataHolder->DH_FOLDER_THEME, ID_STATE);
    if (!font) font = &DataHolder->DH_FOLDER_THEME->FT_FONT_NORMAL;
    // Measured when asked, not at every paint: a tip is asked for rarely.
    return MeasureTextWidth(*font, ID_CAPTION) > ID_WIDTH - CaptionLeftOf(*this) ? ID_CAPTION : QString();
}

std::unique_ptr<TDataLink> TItemData::DataLink()
{
    auto link = std::make_unique<TDataLink>();
    link->DL_ITEM = this;
    return link;
}

void TFileItem::On_MouseDouble(TDataHolder*, TMouseButton, TShiftState, int, int)
{
    OpenFileItem(ID_FILE_DATA.FD_PATH);
}

void TFolderItem::On_MouseDouble(TDataHolder* DataHolder, TMouseButton, TShiftState, int, int)
{
    if (DataHolder && Directory()) DataHolder->OpenFolder(ID_FILE_DATA.FD_PATH);
}

void TFolderItem::CreateCaption()
{
    ID_CAPTION = ID_FILE_DATA.FD_NAME;
    RequestRepaint();
}

TDeviceItem::TDeviceItem() { ID_WIDTH += 40; }

void TDeviceItem::On_MouseDouble(TDataHolder* DataHolder, TMouseButton, TShiftState, int, int)
{
    if (DataHolder) DataHolder->OpenDrive(ID_FILE_DATA.FD_PATH);
}

void TGroupData::On_Paint(TDataHolder* DataHolder, TBitmap32& ID_CANVAS, const QRect& Rect)
{
    PaintItem(DataHolder, ID_CANVAS, Rect, GroupImages, CaptionLeftOf(*this), GroupCaptionFlags, false);
}

void TGroupData::On_MouseDouble(TDataHolder* DataHolder, TMouseButton, TShiftState, int, int)
{
    Collapse(DataHolder);
}

void TGroupData::Collapse(TDataHolder* DataHolder)
{
    if (!DataHolder) return;
    GD_COLLAPSED = !GD_COLLAPSED;
    for (const auto& item : DataHolder->Items())
        if (!item->IsGroup() && item->ID_GROUP == ID_GROUP) item->ID_VISIBLE = GD_COLLAPSED && DataHolder->Shows(*item);
    DataHolder->Arrange();
}

std::unique_ptr<TItemData> CreateListedItem(const TDirEntry& Entry, const QString& Path)
{
    const bool folder = Entry.Is(faDirectory);
    const QString ext = SharedTypeKey(KindTypeKey(Path, Entry));
    std::unique_ptr<TItemData> item;
    if (folder) item = std::make_unique<TFolderItem>();
    else item = std::make_unique<TFileItem>();
    TFileData& data = item->ID_FILE_DATA;
    data.FD_PATH = Path + Entry.Name;
    data.FD_DIR = Path;
    data.FD_NAME = Entry.Name;
    data.FD_EXT = ext;
    if (folder) item->ID_MENU = QStringLiteral("FOLDER");
    data.FD_HIDDEN = Entry.Is(faHidden);
    data.FD_SYSTEM = Entry.Is(faSystem);
    data.FD_READONLY = Entry.Is(faReadOnly);
    data.FD_LINK = Entry.Is(faSymLink);
    if (!folder && ext == QLatin1String(".desktop")) data.FD_LABEL = LauncherName(data.FD_PATH);
    data.FD_SIZE = FileSizeOf(Entry);
    data.FD_TIME_CREATE = Entry.CreationTime;
    data.FD_TIME_ACCESS = Entry.AccessTime;
    data.FD_TIME_WRITE = Entry.WriteTime;
    item->CreateCaption();
    return item;
}

void TSearchData::AddPath(const QString& Path, bool Clear)
{
    if (Clear) SD_PATHS.clear();
    if (Path != QDrivePath) {
        SD_PATHS.append(Path);
        return;
    }
    for (const TDrive& drive : VisibleDrives())
        if (drive.Type == TDriveType::dtFixed) SD_PATHS.append(drive.RootPath());
}

QString TSearchData::GetPath() const
{
    return SD_PATHS.isEmpty() ? QStringLiteral("Select Search Path!") : SD_PATHS.first();
}
