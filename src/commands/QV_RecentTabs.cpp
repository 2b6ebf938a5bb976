#include "commands/QV_RecentTabs.h"

#include "commands/QV_ButtonManager.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "locale/QV_LocaleManager.h"
#include "platform/ini/QV_IniFile.h"
#include "theme/QV_SkinBuffer.h"

namespace {

const QString RecentSection = QStringLiteral("RecentTabs");
// DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS, and DT_PATH_ELLIPSIS for the path
constexpr unsigned NameFlags = tfSingleLine | tfVCenter | tfNoPrefix | tfEndEllipsis;
constexpr unsigned PathFlags = NameFlags | tfPathEllipsis;
constexpr int MenuWidth = 450;

QString SettingsFile() { return ResolvePath(QStringLiteral("SettingsFile:\\")); }

// The last component of a place as the tab strip shows it ("Quick Drive", a
// mount point's name, a folder's name).
QString PlaceName(const QString& path)
{
    QString shown = TabCaption(path);
    if (shown.size() > 1 && shown.endsWith(QLatin1Char('/'))) shown.chop(1);
    const QString last = shown.mid(shown.lastIndexOf(QLatin1Char('/')) + 1);
    return last.isEmpty() ? shown : last;
}

}  // namespace

TRecentItemRects RecentItemRects(const TSmartRect& Work, int IconSide)
{
    TRecentItemRects r;
    r.Icon.SetBounds(Work.Left(), Work.Top(), IconSide, IconSide);
    r.Name.SetRect(r.Icon.Right() + 8, r.Icon.Top(), Work.Right() - 5, Work.Top() + 16, false);
    r.Path.SetBounds(r.Name.Left() + 8, r.Name.Bottom(), r.Name.Width(), r.Name.Height());
    return r;
}

// --- The menu of closed tabs ---

TSmartCtrl* TBRecentTabs::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    THolderHost* host = HolderHost();
    if (!host) return taken;
    if (Button == mbRight) host->PopUpButtonMenu(this, {QStringLiteral("Recent.Tabs.Menu")});
    if (Button != mbLeft) return taken;
    auto items = std::make_unique<TControlList>();
    const TButtonManager registry;
    for (const auto& entry : IniSectionEntries(SettingsFile(), RecentSection)) {
        const QString& value = entry.second;
        // Param1 makes each entry's identifier its own.
        registry.CreateButton(this, TParamString{QStringLiteral("CMD(Recent.Tabs.Item), ") + value +
                                                 QStringLiteral("Param1(") + value + QLatin1Char(')')},
                              items.get());
    }
    // An empty menu is not shown.
    if (items->Count() == 0) return taken;
    const TLocaleManager* locale = LocaleManager();
    const QString caption = locale ? locale->GetLocalized(QStringLiteral("Menus"), RecentSection, RecentSection)
                                   : RecentSection;
    host->PopUpMenuItems(this, caption, std::move(items), MenuWidth);
    return taken;
}

TSmartCtrl* TBRecentTabsClear::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) IniEraseSection(SettingsFile(), RecentSection);
    return taken;
}

// --- One closed tab ---

void TBRecentTabItem::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    AB_P1 = Params.GetValue(QStringLiteral("Path"), QString());
    AB_CAPTION = PlaceName(AB_P1);
}

void TBRecentTabItem::On_SetHeight(int Value) { TActionButton::On_SetHeight(std::max(Value, 32)); }

void TBRecentTabItem::On_Arrange()
{
    TActionButton::On_Arrange();
    const TRecentItemRects rects = RecentItemRects(SC_RECT, Settings().SmartMenu.ItemSize);
    IconRect = rects.Icon;
    NameRect = rects.Name;
    PathRect = rects.Path;
}

void TBRecentTabItem::On_DrawImage(TBitmap32& Dest, int, int, int, int)
{
    if (!SC_VISIBLE || !AB_ImageLoaded) return;
    AB_SKIN->DrawImage(QStringLiteral("ButtonIcon"), Dest, IconRect.Left(), IconRect.Top(), IconRect.Width(),
                       IconRect.Height());
}

void TBRecentTabItem::On_DrawText(TBitmap32& Dest, const TSmartRect&, const QString&)
{
    if (!SC_VISIBLE) return;
    Dest.DrawText(NameRect.Rect(), AB_CAPTION, NameFlags);
    Dest.DrawText(PathRect.Rect(), TabCaption(AB_P1), PathFlags);
}

TSmartCtrl* TBRecentTabItem::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    THolderHost* host = HolderHost();
    if (!host || AB_P1.isEmpty()) return taken;
    if (Button == mbLeft) host->AddFileTab(AB_P1, true);
    if (Button == mbMiddle) host->GoToPath(AB_P1);
    return taken;
}
