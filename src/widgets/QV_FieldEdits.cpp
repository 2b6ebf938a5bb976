// The three edit fields built on TSmartEdit: the quick filter, the rename
// editor and the path field.

#include "widgets/QV_SmartEdit.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_PathInput.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>

namespace {

const char* const PathFont = "Name(Calibri), Color($FFFFFF), Size(11), Bold(1)";

TDataHolder* ActiveHolder()
{
    const TDataCore* core = DataCore();
    return core ? core->DC_HOLDER : nullptr;
}

QString CurrentFolder()
{
    if (auto* holder = dynamic_cast<TFileHolder*>(ActiveHolder()))
        if (const TPathData* current = holder->Path_Curr()) return current->PD_PATH;
    return QString();
}

// Lets go of the keyboard: the top-level control that holds Control loses the
// focus, so keys reach the folder view again.
void ReleaseFocus(TSmartCtrl* Control)
{
    TCtrlManager* manager = CtrlManager();
    if (!manager) return;
    TSmartCtrl* top = Control;
    while (top->SC_PARENT) top = top->SC_PARENT;
    if (manager->CM_FOCUSE != top) return;
    manager->CM_FOCUSE = nullptr;
    manager->CM_FOCUSE_TRY = nullptr;
    manager->Control_UnFocus(top, mbLeft, 0, 0, 0);
}

void Message(const char* Key, const char* Default, const QString& Subject)
{
    if (THolderHost* host = HolderHost()) host->ShowMessage(WidgetText("Messages", Key, Default) + Subject);
}

}  // namespace

// --- The quick filter ---

TFilterEdit::TFilterEdit()
{
    SE_TEXT_NA = WidgetText("QuickFilter", "UnfocusedCaption", "");
    SC_MENU = QStringLiteral("QFilterMenu");
}

void TFilterEdit::SetParams(const TParamString& Params)
{
    TSmartEdit::SetParams(Params);
    SE_TEXT_NA = Params.GetValue(QStringLiteral("UnfocusedCaption"), WidgetText("QuickFilter", "UnfocusedCaption", ""));
}

void TFilterEdit::QFilter()
{
    TDataHolder* holder = ActiveHolder();
    if (holder && holder->DH_TEXT_QFILTER != SE_TEXT) holder->QuickFilter(SE_TEXT);
}

TSmartCtrl* TFilterEdit::On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* result = TSmartEdit::On_Focus(Button, Shift, X, Y);
    On_Update();
    return result;
}

void TFilterEdit::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    // Escape empties the filter, as in every search field.
    if (Key == VK_ESCAPE && SC_VISIBLE && SC_FOCUSED && !SE_TEXT.isEmpty() && !(Shift & (ssCtrl | ssAlt))) {
        model_.SelectAll();
        ClearText();
        return;
    }
    TSmartEdit::On_KeyDown(Key, Shift);
}

void TFilterEdit::On_Update()
{
    TSmartEdit::On_Update();
    // Each holder keeps its own filter; the field shows the active one's.
    if (TDataHolder* holder = ActiveHolder(); holder && holder->DH_TEXT_QFILTER != SE_TEXT)
        SetText(holder->DH_TEXT_QFILTER);
}

// --- The rename editor ---

TRenameEdit::TRenameEdit()
{
    SC_VISIBLE = false;
    SC_ALIGN = asNone;
    SC_FIT_MODE = fmNone;
    SE_TEXT_NA = QStringLiteral("Hello :)");
    SC_MENU = QStringLiteral("ItemRenameMenu");
    SetPosition(QPoint(0, 0));
}

TItemData* TRenameEdit::LiveObject() const
{
    const TDataCore* core = DataCore();
    if (!RenameObject || !core) return nullptr;
    for (const auto& holder : core->DC_LIST) {
        if (holder.get() != holder_) continue;
        for (const auto& item : holder->Items())
            if (item.get() == RenameObject) return item->ID_FILE_DATA.FD_PATH == itemPath_ ? item.get() : nullptr;
    }
    return nullptr;
}

void TRenameEdit::PopUp(int X, int Y, TItemData* ItemData)
{
    if (ItemData) PopUp(X, Y, ItemData, ItemData->ID_FILE_DATA.FD_NAME);
}

void TRenameEdit::PopUp(int X, int Y, TItemData* ItemData, const QString& Text)
{
    RenameObject = ItemData;
    holder_ = nullptr;
    itemPath_.clear();
    if (ItemData) {
        itemPath_ = ItemData->ID_FILE_DATA.FD_PATH;
        if (const TDataCore* core = DataCore())
            for (const auto& holder : core->DC_LIST)
                for (const auto& item : holder->Items())
                    if (item.get() == ItemData) holder_ = holder.get();
    }
    SetPosition(QPoint(X, Y));
    SetText(Text);
    // The name without its extension is what is usually retyped.
    const int dot = int(Text.lastIndexOf(QLatin1Char('.')));
    const bool folder = ItemData && ItemData->ID_FILE_DATA.FD_EXT == QLatin1String(".folder");
    model_.Select(0, dot > 0 && !folder ? dot : int(Text.size()));
    SetVisible(true);
    On_Resize(0, 0);
    Focus(mbLeft, 0);
}

void TRenameEdit::On_KeyPress(QChar& Key)
{
    if (!SC_VISIBLE) return;
    TSmartEdit::On_KeyPress(Key);
    On_Resize(0, 0);
}

void TRenameEdit::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    if (SC_VISIBLE && SC_FOCUSED && !(Shift & (ssCtrl | ssAlt))) {
        if (Key == VK_RETURN) return ApplyRename();
        if (Key == VK_ESCAPE) return CancelRename();
    }
    if (!SC_VISIBLE) return;
    TSmartEdit::On_KeyDown(Key, Shift);
    On_Resize(0, 0);
}

void TRenameEdit::On_Resize(int W, int H)
{
    SE_OFFSET_IDX = 1;
    int width = TextWidthOf(SE_TEXT) + SC_OFFSET_LEFT + SC_OFFSET_RIGHT + 6;
    // Never past the view's right edge; a long name scrolls inside instead.
    if (const TCtrlManager* manager = CtrlManager(); manager && manager->CM_PARENT_W > 0)
        width = std::min(width, std::max(60, manager->CM_PARENT_W - SC_POS.x() - 5));
    SC_WIDTH = std::max(width, 60);
    TSmartEdit::On_Resize(W, H);
    UpdateCursor();
}

void TRenameEdit::ApplyRename()
{
    // Taken apart first: the message of a failed rename lets events in, and a
    // click meanwhile would apply the same rename again.
    TItemData* item = LiveObject();
    const QString name = SE_TEXT;
    RenameObject = nullptr;
    holder_ = nullptr;
    ReleaseFocus(this);
    SetVisible(false);
    if (item) item->Rename(name);
    ReDraw();
}

void TRenameEdit::CancelRename()
{
    RenameObject = nullptr;
    holder_ = nullptr;
    ReleaseFocus(this);
    SetVisible(false);
}

// --- The path field ---

TPathEdit::TPathEdit()
{
    SC_WIDTH = 200;
    SC_HEIGHT = 22;
    SC_ALIGN = asLeft;
    SC_FIT_MODE = fmWidth;
    SC_MENU = QStringLiteral("PathEditMenu");
    TPathEdit::LoadTheme();
    UpdateRects();
}

void TPathEdit::LoadTheme()
{
    LoadWidgetImages(*ownSkin_, {
                                    {"ControlBackNormal", "PathEdit", "Background", "PathEdit\\ControlBackNormal.png", ""},
                                    {"ControlBackEdit", "PathEdit", "Background.Edit", "PathEdit\\ControlBackEdit.png", ""},
                                    {"Cursor", "PathEdit", "Cursor", "PathEdit\\Cursor.png", ""},
                                    {"Select", "SmartEdit", "Select", "SmartEdit\\Select.png", "DrawMode(stretch)"},
                                });
    LoadWidgetFont(*ownSkin_, "PathEdit", "Text.Normal", PathFont);
    LoadWidgetFont(*ownSkin_, "PathEdit", "Text.Focused", PathFont);
    ApplyWorkArea(*this, "PathEdit");
}

void TPathEdit::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    if (PE_MODE == pm_Edit) {
        SC_SKIN->DrawImage(QStringLiteral("ControlBackEdit"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
        TSmartEdit::On_Paint(SC_CANVAS);
        return;
    }
    SC_SKIN->DrawImage(QStringLiteral("ControlBackNormal"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    SC_CANVAS.Font = WidgetFont(SC_SKIN, fontNormal_, PathFont);
    // A long path keeps its last folder in view.
    SC_CANVAS.DrawText(SC_RECT.Rect(), SE_TEXT, tfVCenter | tfSingleLine | tfNoPrefix | tfPathEllipsis);
    for (TControlList* list : SC_LIST) list->Force_On_Paint(SC_CANVAS);
}

void TPathEdit::BeginEdit()
{
    if (PE_MODE == pm_Edit) return;
    PE_MODE = pm_Edit;
    model_.MoveEnd(false);
    Sync();
    if (SC_FOCUSED) {
        SE_TIMER.SetEnabled(true);
        SE_SHOW_CURRET = true;
        UpdateCursor();
    }
}

void TPathEdit::EndEdit()
{
    PE_MODE = pm_Bread;
    SE_TIMER.SetEnabled(false);
    SE_SHOW_CURRET = false;
    model_.Deselect();
    On_Update();
    ReDraw();
}

TSmartCtrl* TPathEdit::On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (PE_MODE == pm_Bread) return TSmartCtrl::On_Focus(Button, Shift, X, Y);
    return TSmartEdit::On_Focus(Button, Shift, X, Y);
}

TSmartCtrl* TPathEdit::On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    PE_MODE = pm_Bread;
    TSmartCtrl* result = TSmartEdit::On_UnFocus(Button, Shift, X, Y);
    On_Update();
    return result;
}

void TPathEdit::On_KeyPress(QChar& Key)
{
    if (PE_MODE == pm_Edit) TSmartEdit::On_KeyPress(Key);
    else TSmartCtrl::On_KeyPress(Key);
}

void TPathEdit::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    if (PE_MODE == pm_Bread || !SC_VISIBLE || !SC_FOCUSED) return TSmartCtrl::On_KeyDown(Key, Shift);
    const bool plain = !(Shift & (ssCtrl | ssAlt));
    if (Key == VK_ESCAPE && plain) {
        EndEdit();
        ReleaseFocus(this);
        return;
    }
    if (Key == VK_TAB && plain) {
        Complete();
        return;
    }
    TSmartEdit::On_KeyDown(Key, Shift);
    if (Key == VK_RETURN && plain) Navigate();
}

TSmartCtrl* TPathEdit::On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbMiddle && SC_VISIBLE) {
        BeginEdit();
        return TSmartEdit::On_MouseDown(mbLeft, Shift, X, Y);
    }
    if (PE_MODE == pm_Bread) return TSmartCtrl::On_MouseDown(Button, Shift, X, Y);
    return TSmartEdit::On_MouseDown(Button, Shift, X, Y);
}

TSmartCtrl* TPathEdit::On_MouseMove(TShiftState Shift, int X, int Y)
{
    if (PE_MODE == pm_Bread) return TSmartCtrl::On_MouseMove(Shift, X, Y);
    return TSmartEdit::On_MouseMove(Shift, X, Y);
}

TSmartCtrl* TPathEdit::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (PE_MODE == pm_Bread) return TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    return TSmartEdit::On_MouseUp(Button, Shift, X, Y);
}

TSmartCtrl* TPathEdit::On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (PE_MODE == pm_Edit) return TSmartEdit::On_MouseDouble(Button, Shift, X, Y);
    TSmartCtrl* taken = TSmartCtrl::On_MouseDouble(Button, Shift, X, Y);
    if (taken) BeginEdit();
    return taken;
}

void TPathEdit::On_Update()
{
    TSmartEdit::On_Update();
    if (PE_MODE != pm_Bread) return;
    if (dynamic_cast<TFileHolder*>(ActiveHolder())) SetText(TabCaption(CurrentFolder()));
}

bool TPathEdit::Navigate()
{
    const TPathTarget target = ResolvePathInput(SE_TEXT, CurrentFolder());
    if (target.Kind == TPathTargetKind::ptNone) {
        Message("PathNotFound", "Can not find: ", target.Expanded);
        return false;
    }
    if (target.Kind == TPathTargetKind::ptFile)
        if (auto* holder = dynamic_cast<TFileHolder*>(ActiveHolder())) holder->DH_SELECT_NAME = target.FileName;
    EndEdit();
    ReleaseFocus(this);
    if (THolderHost* host = HolderHost()) host->GoToPath(target.Folder);
    return true;
}

bool TPathEdit::Complete()
{
    const QString text = SE_TEXT;
    const QStringList names = FolderCompletions(text, CurrentFolder());
    if (names.isEmpty()) {
        Beep();
        return false;
    }
    const QString trimmed = text.trimmed();
    const int slash = int(trimmed.lastIndexOf(QLatin1Char('/')));
    QString completed = trimmed.left(slash + 1) + CommonStart(names);
    if (names.size() == 1) completed += QLatin1Char('/');
    else Beep();  // more than one folder fits: the shared start only
    model_.SelectAll();
    model_.Insert(completed);
    Sync();
    TextChanged();
    return true;
}
