// The view's operations on tabs and holders, and the last session.

#include "view/QV_QorView.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_SearchHolder.h"
#include "dialogs/QV_About.h"
#include "dialogs/QV_ControlSettings.h"
#include "dialogs/QV_FolderCustomize.h"
#include "dialogs/QV_SearchFolders.h"
#include "dialogs/QV_SettingsFrm.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "menus/QV_ExtManager.h"
#include "platform/QV_Report.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/ini/QV_IniFile.h"
#include "shell/QV_Shell.h"
#include "widgets/QV_SearchBar.h"
#include "widgets/QV_WidgetControls.h"

#include <QCoreApplication>

namespace {

const QString SessionSection = QStringLiteral("LastSession");

QString SettingsFile() { return ResolvePath(QStringLiteral("SettingsFile:\\")); }

}  // namespace

// --- Tabs ---

TFileHolder* TQorView::AddFileTab(const QString& Path, bool Active)
{
    if (ResolvePath(Path) != QDrivePath && !IsTrashPlace(Path) && !PathExists(ResolvePath(Path), emAny)) return nullptr;
    TFileHolder* holder = dataCore_->Holder_Add_File();
    holder->Path_GoTo(Path);
    if (Active) ActivateHolder(holder->DH_ID);
    return holder;
}

TDataHolder* TQorView::AddSearchTab(const QString& Path, bool Active)
{
    // Without a path the search starts where the user is: the active tab's
    // folder, or the first folder of the active search.
    QString start = Path;
    if (start.isEmpty()) {
        TDataHolder* active = dataCore_->DC_HOLDER;
        if (const auto* search = dynamic_cast<const TSearchHolder*>(active)) start = search->SH_SEARCH_DATA->SD_PATHS.value(0);
        else start = FilePlace(active);
        // The trash is no folder to walk: from there the search covers the drives.
        if (start == TrashPath) start = QDrivePath;
    }
    TDataHolder* holder = dataCore_->Holder_Add_Search();
    if (!holder) return nullptr;
    if (auto* search = dynamic_cast<TSearchHolder*>(holder); search && !start.isEmpty())
        search->SH_SEARCH_DATA->AddPath(ResolvePath(start), true);
    if (Active && ActivateHolder(holder->DH_ID)) {
        // A new search starts with typing its name.
        if (auto* bar = dynamic_cast<TSearchBar*>(ctrlManager_->GetControlData(QStringLiteral("SearchBarTop"))))
            FocusControl(*ctrlManager_, bar->SB_NAME_EDIT);
    }
    return holder;
}

bool TQorView::ActivateHolder(const QString& ID)
{
    TDataHolder* holder = dataCore_->Holder_Get(ID);
    if (!holder) return false;
    holder->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
    if (TSmartTabApi* tabs = SmartTab()) tabs->SetActive(ID, false);
    // Only the holder on screen asks for repaints of its own.
    for (const auto& other : dataCore_->DC_LIST) other->DH_VISIBLE = other.get() == holder;
    dataCore_->Holder_Activate(holder);
    ctrlManager_->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
    ctrlManager_->Control_Update();
    return true;
}

bool TQorView::RemHolder(const QString& ID)
{
    int index = dataCore_->Holder_Find(ID);
    if (index < 0 && dataCore_->DC_HOLDER) index = dataCore_->Holder_Find(dataCore_->DC_HOLDER->DH_ID);
    return index >= 0 && RemHolder(index);
}

bool TQorView::RemHolder(int IDX)
{
    TDataHolder* holder = dataCore_->Holder_Get(IDX);
    if (!holder) return false;
    if (Settings().SmartTabs.SaveRecent && dynamic_cast<TFileHolder*>(holder)) dataCore_->SaveRecent(holder);
    const QString id = holder->DH_ID;
    if (dataCore_->Holder_Rem(IDX))
        if (TSmartTabApi* tabs = SmartTab()) tabs->RemoveTab(id);
    if (TDataHolder* next = dataCore_->Holder_Get(IDX > 0 ? IDX - 1 : 0)) {
        ActivateHolder(next->DH_ID);
        if (TSmartTabApi* tabs = SmartTab()) tabs->SetActive(next->DH_ID, true);
    }
    const bool onlySearch =
        dataCore_->Count() == 1 && !dynamic_cast<TFileHolder*>(dataCore_->Holder_Get(0));
    if (dataCore_->Count() == 0 || onlySearch) AddFileTab(QDrivePath, true);
    return true;
}

void TQorView::RemoveTabs()
{
    for (int i = dataCore_->Count() - 1; i >= 0; --i) RemHolder(i);
}

void TQorView::OpenInNewTab()
{
    const auto* holder = dataCore_->DC_HOLDER;
    if (!holder) return;
    // The list changes under us once events run; take the paths first.
    QStringList folders;
    for (const auto& item : holder->Items())
        if (item->Selected() && item->ID_FILE_DATA.FD_EXT == QLatin1String(".folder"))
            folders.append(item->ID_FILE_DATA.FD_PATH);
    for (const QString& folder : folders) {
        AddFileTab(folder, true);
        QCoreApplication::processEvents();
    }
}

void TQorView::DuplicateHolder(const QString& ID)
{
    TDataHolder* holder = dataCore_->Holder_Get(ID);
    if (!holder) holder = dataCore_->DC_HOLDER;
    if (const QString place = FilePlace(holder); !place.isEmpty()) AddFileTab(place, true);
}

void TQorView::SwitchMode(const QString& Mode)
{
    static const char* const ExploreBars[] = {"QuickBar", "ActionBar", "PathBar"};
    static const char* const SearchBars[] = {"SearchBarTop", "SearchBarBottom"};
    if (Mode != QLatin1String("Search") && Mode != QLatin1String("Explore")) return;
    const bool search = Mode == QLatin1String("Search");
    const auto show = [this](const char* bar, bool visible) {
        const QString id = QString::fromLatin1(bar);
        if (visible) ctrlManager_->Control_Show(id);
        else ctrlManager_->Control_Hide(id);
    };
    for (const char* bar : ExploreBars) show(bar, !search);
    for (const char* bar : SearchBars) show(bar, search);
    // Keys sent to a bar that is no longer shown would be lost to the tab.
    if (const TSmartCtrl* focused = ctrlManager_->FocusedControl(); focused && !focused->SC_VISIBLE)
        ctrlManager_->ControlFocus(nullptr);
    ctrlManager_->Control_Update();
    ctrlManager_->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
}

// --- Navigation and commands ---

void TQorView::GoToPath(const QString& Path)
{
    if (TFileHolder* holder = FileHolder()) holder->Path_GoTo(Path);
}

void TQorView::GoBack()
{
    if (TFileHolder* holder = FileHolder()) holder->Path_GoBack();
}

void TQorView::GoFwrd()
{
    if (TFileHolder* holder = FileHolder()) holder->Path_GoForward();
}

void TQorView::GoUp()
{
    if (TFileHolder* holder = FileHolder()) holder->Path_GoUp();
}

void TQorView::ClipboardCopy()
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->CopyToClipboard();
}

void TQorView::ClipboardCut()
{
    // A trashed entry leaves the trash by a restore, never by a cut and paste.
    if (const TFileHolder* file = FileHolder(); file && file->ShowsTrash()) return;
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->CutToClipboard();
}

void TQorView::ClipboardPaste()
{
    if (TFileHolder* holder = FileHolder()) holder->PasteFromClipboard();
}

void TQorView::FilesDelete(bool Permanently)
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->DeleteSelFiles(Permanently);
}

void TQorView::ShowPropDialog()
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->DisplayProperties();
}

void TQorView::DialogOpenWith()
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->DisplayOpenWith();
}

void TQorView::SystemMenu(QPoint Pos)
{
    if (TFileHolder* holder = FileHolder()) holder->ShowContextMenu(Pos);
}

void TQorView::OpenInExplorer()
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->OpenInExplorer();
}

void TQorView::RecycleBinOpen()
{
    // One trash tab is enough: an open one comes forward and lists again.
    for (const auto& holder : dataCore_->DC_LIST)
        if (auto* file = dynamic_cast<TFileHolder*>(holder.get()); file && file->ShowsTrash()) {
            ActivateHolder(file->DH_ID);
            file->Path_GoTo();
            return;
        }
    AddFileTab(TrashPath, true);
}

void TQorView::RecycleBinRestore()
{
    if (TFileHolder* holder = FileHolder()) holder->RestoreSelected();
}
void TQorView::RecycleBinEmpty(bool Confirm) { shell_->EmptyTrash(Confirm); }
qint64 TQorView::RecycleBinCount() { return shell_->TrashCount(); }
qint64 TQorView::RecycleBinSize() { return shell_->TrashSize(); }

void TQorView::FilesRename(bool FromClipboard)
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->RenameSelected(FromClipboard);
}

void TQorView::FilesSelectAll()
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->SelectAll();
}

void TQorView::CreateFolder()
{
    if (TFileHolder* holder = FileHolder()) holder->CreateFolder();
}

void TQorView::GroupItems(const QString& By)
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) holder->GroupItems(By, QString());
}

// --- Dialogs ---

namespace {

template <class TForm>
TForm* Ensure(TForm*& form, QWidget* owner)
{
    if (!form) form = new TForm(owner);
    return form;
}

void Present(QWidget* dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

TQV_SettingsForm* TQorView::SettingsForm()
{
    if (!settingsForm_) {
        Ensure(settingsForm_, this);
        settingsForm_->OnTypesChanged = [this] { extManager_->Load(); };
    }
    return settingsForm_;
}
TQV_FolderCustomizeFrm* TQorView::FolderCustomizeForm() { return Ensure(folderForm_, this); }
TQV_ControlSettingsFrm* TQorView::ControlSettingsForm() { return Ensure(controlForm_, this); }
TAboutQorvel* TQorView::AboutForm() { return Ensure(aboutForm_, this); }
TQV_SearchFoldersFrm* TQorView::SearchFoldersForm() { return Ensure(searchFoldersForm_, this); }

void TQorView::ShowSettings() { Present(SettingsForm()); }

void TQorView::ShowAboutDialog() { Present(AboutForm()); }

void TQorView::DialogFolder()
{
    TDataHolder* holder = dataCore_->DC_HOLDER;
    if (!holder) return;
    Present(FolderCustomizeForm());
    folderForm_->LoadTheme(holder);
}

void TQorView::ToggleSearch()
{
    // The name in the field is what the search looks for, even when the
    // button is pressed before any key reached the search.
    auto* bar = dynamic_cast<TSearchBar*>(ctrlManager_->GetControlData(QStringLiteral("SearchBarTop")));
    if (bar && bar->SC_VISIBLE) return bar->Toggle();
    if (auto* search = dynamic_cast<TSearchHolder*>(dataCore_->DC_HOLDER); search && !search->SearchStop())
        search->Search();
}

void TQorView::DialogSearchFolder()
{
    const auto* search = dynamic_cast<const TSearchHolder*>(dataCore_->DC_HOLDER);
    if (!search) return;
    TQV_SearchFoldersFrm* form = SearchFoldersForm();
    form->AddPath(search->DH_ID);
    form->open();
}

void TQorView::ShowControlItems(const QString& CtrlID)
{
    if (CtrlID.isEmpty()) return;
    Present(ControlSettingsForm());
    controlForm_->LoadControlItems(CtrlID);
}

void TQorView::ReloadThemes()
{
    LoadTheme();
    for (const auto& holder : dataCore_->DC_LIST) {
        holder->DH_FOLDER_THEME->FT_PATH.clear();
        holder->ThemeLoad();
    }
    InvalidateGL();
}

void TQorView::ReloadTheme()
{
    if (TDataHolder* holder = dataCore_->DC_HOLDER) {
        holder->DH_FOLDER_THEME->FT_PATH.clear();
        holder->ThemeLoad();
    }
}

bool TQorView::OpenSelected(const QString& AppPath, const QString& Param1)
{
    TDataHolder* holder = dataCore_->DC_HOLDER;
    return holder && holder->OpenSelected(AppPath, Param1);
}

// --- The last session ---

void TQorView::SaveSession()
{
    if (!Settings().StartUp.RestoreLastSession || !sessionRestored_) return;
    const QString file = SettingsFile();
    IniEraseSection(file, SessionSection);
    for (int i = 0; i < dataCore_->Count(); ++i) {
        const QString place = FilePlace(dataCore_->Holder_Get(i));
        if (place.isEmpty() || place == QDrivePath) continue;
        IniWriteString(file, SessionSection, QStringLiteral("Tab(%1)").arg(i), PlaceEntry(place));
    }
}

void TQorView::OpenRequests(const std::vector<TOpenRequest>& Requests, std::function<void()> Selected)
{
    for (const TOpenRequest& request : Requests) {
        if (request.Folder == TrashPath) {
            RecycleBinOpen();
            if (&request == &Requests.back() && Selected) Selected();
            continue;
        }
        TFileHolder* holder = AddFileTab(request.Folder, true);
        if (!holder) {
            ReportFailure("Open", QStringLiteral("cannot open %1").arg(DisplayFileName(request.Folder)), flUser);
            continue;
        }
        // Only the last tab, the one left active, carries on to Selected.
        holder->SelectWhenListed(request.Select, &request == &Requests.back() ? Selected : nullptr);
    }
}

void TQorView::RestoreSession()
{
    if (!Settings().StartUp.RestoreLastSession) {
        sessionRestored_ = true;
        return;
    }
    QV_RESTORING = true;
    TFileHolder::Restoring() = true;
    for (const auto& entry : IniSectionEntries(SettingsFile(), SessionSection)) {
        const QString path = EntryPlace(entry.first + QLatin1Char('=') + entry.second);
        if (!path.isEmpty()) AddFileTab(path, true);
    }
    TFileHolder::Restoring() = false;
    QV_RESTORING = false;
    sessionRestored_ = true;
}
