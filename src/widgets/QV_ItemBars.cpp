#include "widgets/QV_ItemBars.h"

#include "commands/QV_ActionButton.h"
#include "controls/QV_CtrlManager.h"
#include "data/QV_HolderHost.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_BarItems.h"
#include "widgets/QV_BarLayout.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>

namespace {

TActionButton* AsButton(TSmartCtrl* control) { return dynamic_cast<TActionButton*>(control); }

// Each bar knows two sides of its line; the other words map onto them.
void FoldAlign(TSmartCtrl* item, TAlignSide from, TAlignSide to, TAlignSide from2, TAlignSide to2)
{
    if (item->SC_ALIGN == from) item->SC_ALIGN = to;
    else if (item->SC_ALIGN == from2) item->SC_ALIGN = to2;
}

// An item's own width from its line ("Width(-50)", "Width(99999999999)"):
// none, or a screen's worth.
void SaneSize(TSmartCtrl* item)
{
    const int width = std::clamp(item->SC_WIDTH, 0, 1 << 14);
    const int height = std::clamp(item->SC_HEIGHT, 0, 1 << 14);
    if (width != item->SC_WIDTH) item->SetWidth(width);
    if (height != item->SC_HEIGHT) item->SetHeight(height);
}

}  // namespace

// --- Common ---

TItemBar::TItemBar(const QString& Name, const TBarSettings& Settings, bool IconStyle)
    : settings_(Settings), name_(Name), skin_(std::make_unique<TSkinBuffer>())
{
    SC_ID = Name;
    SC_MENU = Name;
    items_ = AddList(Name + QStringLiteral(".Items"));
    SC_SKIN = skin_.get();
    LoadTheme();
    loader_ = std::make_unique<TBarItemLoader>(
        this, items_, Name + QStringLiteral(".Items"),
        // Worker: the new items are not in the bar yet, so nothing else sees
        // them. Not virtual: the worker may still run while a derived bar goes.
        [skin = skin_.get(), IconStyle](TControlList& items) {
            for (int i = 0; i < items.Count(); ++i)
                if (TActionButton* button = AsButton(items.Control(i))) {
                    button->SC_SKIN = skin;
                    if (IconStyle) button->AB_STYLE = dsIcon;
                }
        },
        [this] {
            Update();
            On_Arrange();
            On_Resize(0, 0);
            ReDraw();
        });
}

TItemBar::~TItemBar()
{
    loader_.reset();
    SC_SKIN = nullptr;
}

void TItemBar::LoadTheme()
{
    const QByteArray section = name_.toLatin1();
    const QByteArray back = (name_ + QStringLiteral("\\ControlBack.png")).toLatin1();
    const QByteArray item = (name_ + QStringLiteral("\\ItemBack.png")).toLatin1();
    LoadWidgetImages(*skin_, {
                                 {"ControlBack", section.constData(), "Background", back.constData(),
                                  "Left(0), Top(0), Right(0), Bottom(0)"},
                                 {"ButtonHot", section.constData(), "Item.Back", item.constData(), ""},
                             });
    ApplyWorkArea(*this, section.constData());
}

void TItemBar::LoadItems() { loader_->Start(); }

int TItemBar::ItemLoads() const { return loader_->Loads(); }

TSmartCtrl* TItemBar::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    if (taken == this && Button == mbRight)
        if (THolderHost* host = HolderHost()) host->PopUpMenu(X, Y, {SC_MENU});
    return taken;
}

void TItemBar::Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Enter(SmartCtrl, X, Y);
    if (!settings_.ShowHint) return;
    if (TActionButton* button = AsButton(SmartCtrl))
        if (TSmartTip* tip = SmartTip()) tip->PopUp(button, button->AB_CAPTION);
}

void TItemBar::Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Leave(SmartCtrl, X, Y);
    if (SmartCtrl && settings_.ShowHint)
        if (TSmartTip* tip = SmartTip()) tip->PopDown();
}

void TItemBar::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    if (settings_.ShowHint)
        if (TSmartTip* tip = SmartTip()) tip->PopDown();
}

// --- The quick bar ---

TQuickBar::TQuickBar() : TItemBar(QStringLiteral("QuickBar"), Settings().QuickBar, true)
{
    SC_ALIGN = asTop;
    SC_FIT_MODE = fmBoth;
    SC_WIDTH = 300;
    SC_HEIGHT = ItemSize() + SC_OFFSET_TOP + SC_OFFSET_BOTTOM;
    UpdateRects();
    LoadItems();
}

void TQuickBar::On_Arrange()
{
    TControlList* items = Items();
    if (items->Count() == 0) return;
    std::vector<TLineItem> line;
    for (int i = 0; i < items->Count(); ++i) {
        TSmartCtrl* item = items->Control(i);
        FoldAlign(item, asTop, asLeft, asBot, asRight);
        SaneSize(item);
        if (AsButton(item)) {
            item->SC_WIDTH = ItemSize();
            item->SC_HEIGHT = ItemSize();
        }
        line.push_back({item->SC_ALIGN, item->SC_WIDTH, item->SC_VISIBLE});
    }
    const std::vector<TLinePlace> places = PlaceQuickBar(line, SC_RECT.Left(), SC_RECT.Right(), ItemSpacing());
    for (int i = 0; i < items->Count(); ++i) {
        TSmartCtrl* item = items->Control(i);
        item->SC_POS = QPoint(places[size_t(i)].X, SC_RECT.Top());
        item->SC_VISIBLE = places[size_t(i)].Visible;
    }
}

void TQuickBar::On_Resize(int W, int H)
{
    SC_HEIGHT = ItemSize() + SC_OFFSET_TOP + SC_OFFSET_BOTTOM;
    TSmartCtrl::On_Resize(W, H);
}

// --- The path bar ---

TPathBar::TPathBar() : TItemBar(QStringLiteral("PathBar"), Settings().PathBar, true)
{
    SC_ALIGN = asBot;
    SC_HEIGHT = ItemSize() + SC_OFFSET_TOP + SC_OFFSET_BOTTOM;
    UpdateRects();
    LoadItems();
}

void TPathBar::On_Arrange()
{
    TControlList* items = Items();
    const TSmartRect r = SC_RECT;
    std::vector<TPathItem> widthsIn;
    for (int i = 0; i < items->Count(); ++i) {
        TSmartCtrl* item = items->Control(i);
        SaneSize(item);
        if (AsButton(item)) {
            item->SetWidth(r.Height());
            item->SetHeight(r.Height());
        }
        const bool fixed = AsButton(item) || item->SC_FIT_MODE == fmHeight || item->SC_FIT_MODE == fmNone;
        const bool stretch = item->SC_FIT_MODE == fmWidth && !AsButton(item);
        // Other items keep their width and take no part in the sums.
        widthsIn.push_back({stretch, fixed ? item->SC_WIDTH : 0, item->SC_WIDTH_MIN, item->SC_VISIBLE && (fixed || stretch)});
    }
    const std::vector<int> widths = PathBarWidths(widthsIn, r.Width(), ItemSpacing());
    std::vector<TLineItem> line;
    for (int i = 0; i < items->Count(); ++i) {
        TSmartCtrl* item = items->Control(i);
        if (widthsIn[size_t(i)].Stretch) item->SetWidth(widths[size_t(i)]);
        item->SC_VISIBLE = true;
        line.push_back({item->SC_ALIGN, item->SC_WIDTH, true});
    }
    const std::vector<TLinePlace> places = PlaceInLine(line, r.Left(), r.Right(), ItemSpacing());
    for (int i = 0; i < items->Count(); ++i) {
        TSmartCtrl* item = items->Control(i);
        item->SC_POS = QPoint(places[size_t(i)].X, r.Top() + (r.Height() - item->SC_HEIGHT) / 2);
    }
}

void TPathBar::On_Resize(int W, int H)
{
    SC_HEIGHT = ItemSize() + SC_OFFSET_TOP + SC_OFFSET_BOTTOM;
    TSmartCtrl::On_Resize(W, H);
}

// --- The action bar ---

TActionBar::TActionBar() : TItemBar(QStringLiteral("ActionBar"), Settings().ActionBar, false)
{
    SC_ALIGN = asLeft;
    SC_CENTER = true;
    SC_FIT_MODE = fmBoth;
    SC_WIDTH = ItemSize() + SC_OFFSET_LEFT + SC_OFFSET_RIGHT;
    SC_HEIGHT = 100;
    UpdateRects();
    LoadItems();
}

void TActionBar::On_Arrange()
{
    TControlList* items = Items();
    if (items->Count() == 0) return;
    const TSmartRect r = SC_RECT;
    TSmartCtrl* lastTop = nullptr;
    TSmartCtrl* lastBot = nullptr;
    int bandTop = 0, band = 0;
    const int fit = Band(bandTop, band)
                        ? ActionBarFit(band, ItemSize(), ItemSpacing(), SC_OFFSET_TOP, SC_OFFSET_BOTTOM)
                        : items->Count();
    for (int i = 0; i < items->Count(); ++i) {
        TSmartCtrl* item = items->Control(i);
        if (TActionButton* button = AsButton(item)) {
            button->AB_STYLE = dsIcon;
            button->SC_SKIN = SC_SKIN;
        }
        FoldAlign(item, asLeft, asTop, asRight, asBot);
        item->SetWidth(ItemSize());
        item->SetHeight(ItemSize());
        item->SC_VISIBLE = i < fit;
        if (!item->SC_VISIBLE) continue;
        QPoint pos;
        if (item->SC_ALIGN == asBot) {
            pos = lastBot ? QPoint(lastBot->SC_POS.x(), lastBot->SC_POS.y() - ItemSpacing() - item->SC_HEIGHT)
                          : QPoint(r.Left(), r.Bottom() - item->SC_HEIGHT);
            lastBot = item;
        } else {
            pos = lastTop ? QPoint(lastTop->SC_POS.x(), lastTop->SC_POS.y() + lastTop->SC_HEIGHT + ItemSpacing())
                          : QPoint(r.Left(), r.Top());
            if (item->SC_ALIGN == asTop) lastTop = item;
        }
        item->SetPosition(pos);
    }
}

void TActionBar::On_Resize(int W, int H)
{
    TSmartCtrl::On_Resize(W, H);
    SetWidth(SC_WIDTH);
    SetHeight(SC_HEIGHT);
    // The manager centred the bar with its height before this resize; the
    // height may have changed with the items that fit.
    if (int top = 0, band = 0; SC_CENTER && Band(top, band)) SetPosition(QPoint(SC_POS.x(), top + (band - SC_HEIGHT) / 2));
    // The items' own rectangles follow their places, which moved with the bar.
    Items()->Force_On_Resize(W, H);
}

bool TActionBar::Band(int& Top, int& Height) const
{
    const TCtrlManager* manager = CtrlManager();
    if (!manager || manager->CM_PARENT_H <= 0) return false;
    int top = 0, bottom = 0;
    for (int i = 0; i < manager->ControlCount(); ++i) {
        const TSmartCtrl* control = manager->GetControlData(i);
        if (!control->SC_VISIBLE) continue;
        if (control->SC_ALIGN == asTop) top += control->SC_HEIGHT;
        else if (control->SC_ALIGN == asBot) bottom += control->SC_HEIGHT;
    }
    Top = top;
    Height = manager->CM_PARENT_H - top - bottom;
    return true;
}

void TActionBar::On_SetWidth(int) { SC_WIDTH = ItemSize() + SC_OFFSET_LEFT + SC_OFFSET_RIGHT; }

void TActionBar::On_SetHeight(int Value)
{
    SC_HEIGHT = Value;
    if (!SC_CENTER) return;
    int visible = 0;
    for (int i = 0; i < Items()->Count(); ++i) visible += Items()->Control(i)->SC_VISIBLE ? 1 : 0;
    SC_HEIGHT = ActionBarHeight(visible, ItemSize(), ItemSpacing(), SC_OFFSET_TOP, SC_OFFSET_BOTTOM);
}
