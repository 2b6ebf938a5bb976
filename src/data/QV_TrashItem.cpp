#include "data/QV_TrashItem.h"

#include "data/QV_DataHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/desktop/QV_Font.h"
#include "platform/desktop/QV_TextDraw.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_Trash.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"

#include <QLocale>

#include <algorithm>

namespace {

constexpr unsigned LineFlags = tfSingleLine | tfNoPrefix | tfEndEllipsis;

QString LastComponent(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The type key of the name it had: what its icon and grouping by type go by.
QString TypeKeyOf(const QString& name, bool folder)
{
    if (folder) return QStringLiteral(".folder");
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot).toLower() : QString();
}

}  // namespace

TTrashItem::TTrashItem()
{
    // Room for the original folder beside the name.
    ID_WIDTH = 2 * Settings().Browsing.ItemWidth;
    ID_MENU = QStringLiteral("TRASHED");
}

void TTrashItem::On_Paint(TDataHolder* DataHolder, TBitmap32& ID_CANVAS, const QRect& Rect)
{
    if (!DataHolder) return;
    const TFont* font = ItemStateFont(*DataHolder->DH_FOLDER_THEME, ID_STATE);
    if (!font) return;
    if (THolderHost* host = HolderHost())
        if (TSkinBuffer* skin = host->ItemSkin())
            skin->DrawImage(ItemBackImage(ID_STATE), ID_CANVAS, Rect.left(), Rect.top(), ID_WIDTH,
                            ID_HEIGHT);
    const int left = Rect.left() + Settings().Browsing.ItemHeight + 5;
    const int width = ID_WIDTH - (left - Rect.left()) - 4;
    const int half = ID_HEIGHT / 2;
    ID_CANVAS.Font = *font;
    ID_CANVAS.DrawText(QRect(left, Rect.top(), width, half), ID_CAPTION, LineFlags | tfBottom);
    TFont detail = *font;
    detail.Size = std::max(6, font->Size - 1);
    detail.Bold = false;
    ID_CANVAS.Font = detail;
    // The date keeps its place; a long folder gives way in its middle.
    const QString when = DeletedText();
    const int whenWidth = when.isEmpty() ? 0 : MeasureTextWidth(detail, when);
    const QRect line(left, Rect.top() + half, width, ID_HEIGHT - half);
    if (whenWidth > 0) ID_CANVAS.DrawText(line, when, LineFlags | tfTop | tfRight);
    const int gap = whenWidth > 0 ? whenWidth + 12 : 0;
    ID_CANVAS.DrawText(QRect(line.left(), line.top(), std::max(0, line.width() - gap), line.height()), PlaceText(),
                       tfSingleLine | tfNoPrefix | tfPathEllipsis | tfTop);
    if (!ID_ICON_READY.load(std::memory_order_acquire)) return;
    if (const TBitmap32* icon = ID_ICON.load(std::memory_order_acquire))
        ID_CANVAS.Draw(Rect.left(), Rect.top() + (ID_HEIGHT - icon->Height()) / 2, *icon);
}

void TTrashItem::On_MouseDouble(TDataHolder*, TMouseButton, TShiftState, int, int) {}

void TTrashItem::CreateCaption()
{
    ID_CAPTION = TI_ORIGINAL.isEmpty() ? ID_FILE_DATA.FD_NAME : LastComponent(TI_ORIGINAL);
}

QString TTrashItem::PlaceText() const
{
    if (TI_ORIGINAL.isEmpty())
        return Localized(QStringLiteral("Trash"), QStringLiteral("UnknownPlace"), QStringLiteral("Original location unknown"));
    return DisplayFileName(FolderOf(TI_ORIGINAL));
}

QString TTrashItem::DeletedText() const
{
    if (TI_DELETED == 0) return QString();
    return QLocale().toString(FileTimeToDateTime(TI_DELETED), QLocale::ShortFormat);
}

std::unique_ptr<TTrashItem> CreateTrashItem(const TTrashEntry& Entry)
{
    auto item = std::make_unique<TTrashItem>();
    item->TI_ORIGINAL = Entry.OriginalPath;
    item->TI_DELETED = Entry.DeletedMs;
    TFileData& data = item->ID_FILE_DATA;
    data.FD_PATH = Entry.FilesPath();
    data.FD_DIR = Entry.TrashFolder + QStringLiteral("/files/");
    data.FD_NAME = Entry.Name;
    data.FD_EXT = TypeKeyOf(Entry.OriginalPath.isEmpty() ? Entry.Name : LastComponent(Entry.OriginalPath), Entry.Folder);
    data.FD_TIME_WRITE = Entry.DeletedMs;
    item->CreateCaption();
    return item;
}

void SortTrashItems(TItemList& Items)
{
    std::stable_sort(Items.begin(), Items.end(), [](const auto& a, const auto& b) {
        const auto* x = static_cast<const TTrashItem*>(a.get());
        const auto* y = static_cast<const TTrashItem*>(b.get());
        if (x->TI_DELETED != y->TI_DELETED) return x->TI_DELETED > y->TI_DELETED;
        return x->ID_CAPTION.localeAwareCompare(y->ID_CAPTION) < 0;
    });
}
