#include "widgets/QV_SearchBar.h"

#include "commands/QV_ActionButton.h"
#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_HolderHost.h"
#include "data/QV_SearchHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_BarLayout.h"
#include "widgets/QV_SmartEdit.h"
#include "widgets/QV_SmartProgress.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>

namespace {

const char* const BarFont = "Name(Calibri), Color($000000), Size(11), Bold(1)";
const QString StopImage = QStringLiteral("Search.Stop.png");

TActionButton* AsButton(TSmartCtrl* control) { return dynamic_cast<TActionButton*>(control); }

// The skin of a bar: its background with the work area, the hot background of
// its buttons, and its text font.
void LoadBarTheme(TSmartCtrl& bar, TSkinBuffer& skin, const char* section, const char* fontId)
{
    const QByteArray back = QByteArray(section) + "\\ControlBack.png";
    const QByteArray item = QByteArray(section) + "\\ItemBack.png";
    LoadWidgetImages(skin, {
                               {"ControlBack", section, "Background", back.constData(),
                                "Left(0), Top(0), Right(0), Bottom(0)"},
                               {"ButtonHot", section, "Item.Back", item.constData(), ""},
                           });
    LoadWidgetFont(skin, section, fontId, BarFont);
    ApplyWorkArea(bar, section);
}

void PopUpTip(TSmartCtrl* control, bool show)
{
    if (!show) return;
    if (TActionButton* button = AsButton(control))
        if (TSmartTip* tip = SmartTip()) tip->PopUp(button, button->AB_CAPTION);
}

void PopDownTip(bool show)
{
    if (!show) return;
    if (TSmartTip* tip = SmartTip()) tip->PopDown();
}

TActionButton* MakeButton(TSmartCtrl* bar, const char* params, TControlList* list)
{
    TCtrlManager* manager = CtrlManager();
    if (!manager) return nullptr;
    auto* button = AsButton(manager->CreateControl(bar, TParamString{QString::fromLatin1(params)}, list));
    if (!button) return nullptr;
    button->SC_PARENT = bar;
    button->SC_SKIN = bar->SC_SKIN;
    return button;
}

}  // namespace

TSearchHolder* ActiveSearch()
{
    const TDataCore* core = DataCore();
    return core ? dynamic_cast<TSearchHolder*>(core->DC_HOLDER) : nullptr;
}

QString SearchFoldersText(const QStringList& Paths)
{
    QStringList shown;
    shown.reserve(Paths.size());
    for (const QString& path : Paths) {
        // A folder name may hold any byte but "/": a line break or a tab
        // would break the field's one line, so such characters show as marks.
        QString name = DisplayFileName(path);
        for (QChar& c : name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QChar::ReplacementCharacter;
        shown << name;
    }
    return shown.join(QStringLiteral("; "));
}

TSearchBarPlaces PlaceSearchBar(const QRect& Work, int ButtonSize, int NameHeight, int ProgressHeight,
                                int FoundWidth)
{
    constexpr int ButtonGap = 10, NameTop = 5, ProgressGap = 5, RightGap = 10, FoundGap = 8;
    constexpr int NameMin = 80, NameMax = 420;
    TSearchBarPlaces places;
    places.Button = QRect(Work.left(), Work.top(), ButtonSize, ButtonSize);
    const int left = places.Button.right() + 1 + ButtonGap;
    const int right = Work.right() + 1 - RightGap;  // one past the last column
    // The name field takes what the count leaves, within sensible bounds; in a
    // very narrow bar the count may be cut off rather than the field.
    const int nameWidth = std::clamp(right - left - FoundGap - FoundWidth, NameMin, NameMax);
    places.Name = QRect(left, Work.top() + NameTop, nameWidth, NameHeight);
    places.Progress = QRect(left, places.Name.bottom() + 1 + ProgressGap, std::max(0, right - left), ProgressHeight);
    places.Found = QPoint(places.Name.right() + 1 + FoundGap, places.Name.top());
    return places;
}

// --- The folders field ---

TSearchFoldersEdit::TSearchFoldersEdit() { SC_FIT_MODE = fmWidth; }

void TSearchFoldersEdit::On_KeyPress(QChar& Key)
{
    // Typing is refused: the folders change through their dialog.
    TSmartCtrl::On_KeyPress(Key);
}

void TSearchFoldersEdit::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    const bool ctrl = Shift & ssCtrl;
    const bool reading = Key == VK_LEFT || Key == VK_RIGHT || Key == VK_HOME || Key == VK_END ||
                         (ctrl && (Key == 'C' || Key == 'A' || Key == VK_INSERT));
    if (reading) {
        TSmartEdit::On_KeyDown(Key, Shift);
        return;
    }
    TSmartCtrl::On_KeyDown(Key, Shift);
    if (Key == VK_RETURN && SC_VISIBLE && SC_FOCUSED)
        if (THolderHost* host = HolderHost()) host->DialogSearchFolder();
}

TSmartCtrl* TSearchFoldersEdit::On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartEdit::On_MouseDouble(Button, Shift, X, Y);
    if (taken && Button == mbLeft)
        if (THolderHost* host = HolderHost()) host->DialogSearchFolder();
    return taken;
}

// --- The upper bar ---

TSearchBar::TSearchBar() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ID = QStringLiteral("SearchBar");
    SC_ALIGN = asTop;
    SC_FIT_MODE = fmWidth;
    SC_WIDTH = 300;
    SC_HEIGHT = 68;
    SC_SKIN = skin_.get();
    SB_ITEMS = AddList(QStringLiteral("SB_ITEMS"));
    LoadTheme();
    UpdateRects();
    LoadItems();
}

TSearchBar::~TSearchBar()
{
    // The children borrow the skin; they go with their list before it.
    for (TControlList* list : SC_LIST) list->Clear();
    SC_SKIN = nullptr;
}

void TSearchBar::LoadTheme() { LoadBarTheme(*this, *skin_, "SearchBar", "Text.Status"); }

void TSearchBar::LoadItems()
{
    SB_START = MakeButton(this, "Button(Search.Toggle), CMD(Search.Toggle), Width(48), Height(48)", SB_ITEMS);
    if (SB_START) {
        SB_START->AB_STYLE = dsIcon;
        SB_START->SetWidth(48);
        SB_START->SetHeight(48);
        ShowToggleState(false);
    }

    SB_NAME_EDIT = static_cast<TSmartEdit*>(SB_ITEMS->AddControl(new TSmartEdit()));
    SB_NAME_EDIT->SC_ID = QStringLiteral("SB_NAME_EDIT");
    SB_NAME_EDIT->SC_PARENT = this;
    SB_NAME_EDIT->SC_MENU = QStringLiteral("EditMenu");
    SB_NAME_EDIT->SE_TEXT_NA = WidgetText("SearchDialog", "FileName", "File Name");
    SB_NAME_EDIT->On_KeyPressEvent = [this](QChar&) { SetFileName(); };
    SB_NAME_EDIT->On_TextChangedEvent = [this] { SetFileName(); };
    SB_NAME_EDIT->On_UpdateEvent = [this] { NAME_EDIT_Update(); };
    SB_NAME_EDIT->On_TextApplyEvent = [this] { Search(); };

    SB_PROGRESS = static_cast<TSmartProgress*>(SB_ITEMS->AddControl(new TSmartProgress()));
    SB_PROGRESS->SC_ID = QStringLiteral("SB_PROGRESS");
    SB_PROGRESS->SC_PARENT = this;
    SB_PROGRESS->SetWidth(300);
    SB_PROGRESS->SetHeight(18);
    SB_PROGRESS->SP_DONE = 0;
    SB_PROGRESS->ProgressSource = [](int& done, QString& text) {
        const TSearchHolder* search = ActiveSearch();
        if (!search) return false;
        done = search->SH_SEARCH_POS;
        text = search->SH_STATUS_NAME;
        return true;
    };
}

void TSearchBar::SetFileName()
{
    if (TSearchHolder* search = ActiveSearch(); search && SB_NAME_EDIT) search->AddSearchName(SB_NAME_EDIT->SE_TEXT);
}

void TSearchBar::NAME_EDIT_Update()
{
    const TSearchHolder* search = ActiveSearch();
    if (!search || !SB_NAME_EDIT || SB_NAME_EDIT->SE_TEXT == search->SH_SEARCH_DATA->SD_NAME) return;
    SB_NAME_EDIT->SetText(search->SH_SEARCH_DATA->SD_NAME);
}

void TSearchBar::Search()
{
    TSearchHolder* search = ActiveSearch();
    if (!search) return;
    // The field's text is what Enter means, even when no change reached the
    // search (a tab switched while the field kept its text).
    if (SB_NAME_EDIT) search->AddSearchName(SB_NAME_EDIT->SE_TEXT);
    search->Search();
    ShowToggleState(search->Searching());
    ReDraw();
}

void TSearchBar::Toggle()
{
    TSearchHolder* search = ActiveSearch();
    if (!search) return;
    // While a search runs the button says "Stop", and stops, even when the
    // name has changed since; Enter is the way to search for the new name.
    if (search->SearchStop()) {
        ShowToggleState(false);
        ReDraw();
        return;
    }
    Search();
}

QString TSearchBar::FoundText() const
{
    const TSearchHolder* search = ActiveSearch();
    if (!search) return QString();
    return WidgetText("SearchDialog", "Found:", "Found:  ") + search->SH_STATUS_FOUND;
}

void TSearchBar::ShowToggleState(bool Searching)
{
    if (!SB_START || toggleState_ == int(Searching)) return;
    toggleState_ = int(Searching);
    SB_START->AB_CAPTION = Searching ? WidgetText("SearchDialog", "Stop", "Stop Search")
                                     : WidgetText("SearchDialog", "Start", "Start Search");
    // The stop picture is the theme's own when it has one; else the button
    // keeps its command's picture and only the caption changes.
    const QString image = Searching ? StopImage : QString();
    if (SB_START->AB_IMAGE != image) {
        SB_START->AB_IMAGE = image;
        SB_START->LoadImage();
    }
}

void TSearchBar::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    const TSearchHolder* search = ActiveSearch();
    // A search ends on a worker's schedule and says so only by repainting,
    // so the button learns the state here.
    if (search) ShowToggleState(search->Searching());
    TSmartCtrl::On_Paint(SC_CANVAS);
    if (!search || !SB_NAME_EDIT) return;
    // Beside the name field and centred on it, so it lines up in any theme.
    SC_CANVAS.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Status"), BarFont);
    const int left = SB_NAME_EDIT->SC_POS.x() + SB_NAME_EDIT->SC_WIDTH + 8;
    const QRect area(left, SB_NAME_EDIT->SC_POS.y(), SC_RECT.Right() - left, SB_NAME_EDIT->SC_HEIGHT);
    if (area.width() > 0)
        SC_CANVAS.DrawText(area, FoundText(), tfLeft | tfVCenter | tfSingleLine | tfNoPrefix | tfEndEllipsis);
}

void TSearchBar::On_Resize(int W, int H)
{
    SC_HEIGHT = BarHeight;
    TSmartCtrl::On_Resize(W, H);
}

void TSearchBar::On_SetHeight(int) { SC_HEIGHT = BarHeight; }

void TSearchBar::On_Arrange()
{
    if (!SB_NAME_EDIT || !SB_PROGRESS) return;
    TBitmap32 measure;
    measure.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Status"), BarFont);
    const int found = measure.TextWidth(WidgetText("SearchDialog", "Found:", "Found:  ") + QStringLiteral("0000000"));
    const TSearchBarPlaces places =
        PlaceSearchBar(SC_RECT.Rect(), SB_START ? SB_START->SC_WIDTH : 0, SB_NAME_EDIT->SC_HEIGHT,
                       SB_PROGRESS->SC_HEIGHT, found);
    if (SB_START) SB_START->SetPosition(places.Button.topLeft());
    SB_NAME_EDIT->SetPosition(places.Name.topLeft());
    SB_NAME_EDIT->SetWidth(places.Name.width());
    SB_PROGRESS->SetPosition(places.Progress.topLeft());
    SB_PROGRESS->SetWidth(places.Progress.width());
}

void TSearchBar::Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Enter(SmartCtrl, X, Y);
    PopUpTip(SmartCtrl, Settings().QuickBar.ShowHint);
}

void TSearchBar::Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Leave(SmartCtrl, X, Y);
    if (SmartCtrl) PopDownTip(Settings().QuickBar.ShowHint);
}

void TSearchBar::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    PopDownTip(Settings().QuickBar.ShowHint);
}

// --- The lower bar ---

TSearchBarBottom::TSearchBarBottom() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ID = QStringLiteral("TSearchBarBottom");
    SC_ALIGN = asBot;
    SC_FIT_MODE = fmWidth;
    SC_WIDTH = 300;
    SC_HEIGHT = 48;
    SC_SKIN = skin_.get();
    SBB_ITEMS = AddList(QStringLiteral("SBB_ITEMS"));
    LoadTheme();
    UpdateRects();
    LoadItems();
}

TSearchBarBottom::~TSearchBarBottom()
{
    for (TControlList* list : SC_LIST) list->Clear();
    SC_SKIN = nullptr;
}

void TSearchBarBottom::LoadTheme() { LoadBarTheme(*this, *skin_, "SearchBar2", "Text.Normal"); }

void TSearchBarBottom::LoadItems()
{
    SBB_BROWSE = MakeButton(this, "Button(Dialog.SearchBrowse), CMD(Dialog.SearchBrowse)", SBB_ITEMS);
    if (SBB_BROWSE) {
        SBB_BROWSE->SC_SENDER = this;
        SBB_BROWSE->SC_FIT_MODE = fmBoth;
        SBB_BROWSE->AB_STYLE = dsTileAuto;
        SBB_BROWSE->AB_FONT_N = SBB_BROWSE->AB_FONT_H = skin_->Font(QStringLiteral("Text.Normal"));
    }

    SBB_PATH_EDIT = static_cast<TSearchFoldersEdit*>(SBB_ITEMS->AddControl(new TSearchFoldersEdit()));
    SBB_PATH_EDIT->SC_ID = QStringLiteral("SBB_PATH_EDIT");
    SBB_PATH_EDIT->SC_PARENT = this;
    SBB_PATH_EDIT->SC_MENU = QStringLiteral("EditMenu");
    SBB_PATH_EDIT->SE_TEXT_NA = WidgetText("SearchDialog", "SearchPath", "Search Path");
    SBB_PATH_EDIT->On_UpdateEvent = [this] { PATH_EDIT_Update(); };

    SBB_FILTER_EDIT = static_cast<TFilterEdit*>(SBB_ITEMS->AddControl(new TFilterEdit()));
    SBB_FILTER_EDIT->SC_ID = QStringLiteral("SBB_FILTER_EDIT");
    SBB_FILTER_EDIT->SC_PARENT = this;
    SBB_FILTER_EDIT->SC_MENU = QStringLiteral("QFilterMenu");
    SBB_FILTER_EDIT->SC_ALIGN = asRight;
}

void TSearchBarBottom::PATH_EDIT_Update()
{
    const TSearchHolder* search = ActiveSearch();
    if (!search || !SBB_PATH_EDIT) return;
    const QString text = SearchFoldersText(search->SH_SEARCH_DATA->SD_PATHS);
    if (SBB_PATH_EDIT->SE_TEXT != text) SBB_PATH_EDIT->SetText(text);
}

void TSearchBarBottom::On_Resize(int W, int H)
{
    On_SetHeight(0);
    TSmartCtrl::On_Resize(W, H);
}

void TSearchBarBottom::On_SetHeight(int) { SC_HEIGHT = 25 + SC_OFFSET_TOP + SC_OFFSET_BOTTOM; }

void TSearchBarBottom::On_Arrange()
{
    if (!SBB_ITEMS) return;
    // One row as in the path bar: the buttons follow their captions, the
    // folders field stretches over what they and the filter leave.
    const TSmartRect r = SC_RECT;
    const int spacing = int(Settings().PathBar.ItemSpacing);
    // The filter gives way in a narrow window, so the folders stay readable.
    if (SBB_FILTER_EDIT) SBB_FILTER_EDIT->SetWidth(std::clamp(r.Width() / 4, 90, 200));
    std::vector<TPathItem> widthsIn;
    for (int i = 0; i < SBB_ITEMS->Count(); ++i) {
        TSmartCtrl* item = SBB_ITEMS->Control(i);
        if (AsButton(item)) {
            item->SetHeight(r.Height());
            item->SetWidth(r.Height());
        }
        const bool stretch = item->SC_FIT_MODE == fmWidth && !AsButton(item);
        widthsIn.push_back({stretch, stretch ? 0 : item->SC_WIDTH, stretch ? 100 : 0, item->SC_VISIBLE});
    }
    const std::vector<int> widths = PathBarWidths(widthsIn, r.Width(), spacing);
    std::vector<TLineItem> line;
    for (int i = 0; i < SBB_ITEMS->Count(); ++i) {
        TSmartCtrl* item = SBB_ITEMS->Control(i);
        if (widthsIn[size_t(i)].Stretch) item->SetWidth(widths[size_t(i)]);
        line.push_back({item->SC_ALIGN, item->SC_WIDTH, item->SC_VISIBLE});
    }
    const std::vector<TLinePlace> places = PlaceInLine(line, r.Left(), r.Right(), spacing);
    for (int i = 0; i < SBB_ITEMS->Count(); ++i) {
        TSmartCtrl* item = SBB_ITEMS->Control(i);
        item->SetPosition(QPoint(places[size_t(i)].X, r.Top() + (r.Height() - item->SC_HEIGHT) / 2));
    }
}

void TSearchBarBottom::Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Enter(SmartCtrl, X, Y);
    PopUpTip(SmartCtrl, Settings().PathBar.ShowHint);
}

void TSearchBarBottom::Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Leave(SmartCtrl, X, Y);
    if (SmartCtrl) PopDownTip(Settings().PathBar.ShowHint);
}

void TSearchBarBottom::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    PopDownTip(Settings().PathBar.ShowHint);
}
