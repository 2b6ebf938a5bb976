#include "dialogs/QV_SearchFolders.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_SearchHolder.h"
#include "dialogs/QV_DialogSupport.h"
#include "foundation/QV_System.h"
#include "platform/fs/QV_FileNames.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int PathRole = Qt::UserRole;

QString RowText(const QString& path)
{
    if (path == QDrivePath) return DlgText("SearchDialog", "AllDrives", "Every local drive");
    return DisplayFileName(path);
}

QString DefaultChooser(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
}

} // namespace

TQV_SearchFoldersFrm::TQV_SearchFoldersFrm(QWidget* parent)
    : QDialog(parent), ChooseFolder(DefaultChooser)
{
    setObjectName(QStringLiteral("SearchFolders"));
    setSizeGripEnabled(true);

    PathList = new QTreeWidget(this);
    PathList->setColumnCount(2);
    PathList->setRootIsDecorated(false);
    PathList->setAlternatingRowColors(true);
    PathList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PathList->header()->setStretchLastSection(true);
    PathList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    BTN_ADD = new QPushButton(this);
    BTN_DRIVES = new QPushButton(this);
    BTN_REMOVE = new QPushButton(this);
    BTN_REMOVE_ALL = new QPushButton(this);
    for (QPushButton* button : {BTN_ADD, BTN_DRIVES, BTN_REMOVE, BTN_REMOVE_ALL}) button->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    BTN_OK = buttons->button(QDialogButtonBox::Ok);
    BTN_OK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BTN_ADD, &QPushButton::clicked, this, &TQV_SearchFoldersFrm::AddFolder);
    connect(BTN_DRIVES, &QPushButton::clicked, this, &TQV_SearchFoldersFrm::AddDrives);
    connect(BTN_REMOVE, &QPushButton::clicked, this, &TQV_SearchFoldersFrm::RemoveSelected);
    connect(BTN_REMOVE_ALL, &QPushButton::clicked, this, &TQV_SearchFoldersFrm::RemoveAll);
    connect(PathList, &QTreeWidget::itemSelectionChanged, this, &TQV_SearchFoldersFrm::UpdateButtons);

    auto* side = new QVBoxLayout;
    side->addWidget(BTN_ADD);
    side->addWidget(BTN_DRIVES);
    side->addWidget(BTN_REMOVE);
    side->addWidget(BTN_REMOVE_ALL);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(PathList, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
    resize(520, 320);
    RestoreDialogSize(this, objectName());
    Localize();
    UpdateButtons();
}

void TQV_SearchFoldersFrm::Localize()
{
    setWindowTitle(DlgText("SearchDialog", "SearchIn", "Search in:"));
    PathList->setHeaderLabels({QStringLiteral("#"), DlgText("SearchDialog", "SearchPath", "Search Path")});
    // The button texts carry their own mnemonics, so each language picks
    // letters that do not clash.
    BTN_ADD->setText(DlgText("SearchDialog", "AddFolder", "&Add..."));
    BTN_DRIVES->setText(DlgText("SearchDialog", "AddDrives", "Every local &drive"));
    BTN_REMOVE->setText(DlgText("SearchDialog", "RemoveFolder", "&Remove"));
    BTN_REMOVE_ALL->setText(DlgText("SearchDialog", "RemoveAllFolders", "Remove A&ll"));
    BTN_OK->setText(DlgText("General", "Ok", "OK"));
    for (int i = 0; i < PathList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = PathList->topLevelItem(i);
        row->setText(1, RowText(row->data(1, PathRole).toString()));
    }
}

TSearchHolder* TQV_SearchFoldersFrm::Target() const
{
    const TDataCore* core = DataCore();
    return core ? dynamic_cast<TSearchHolder*>(core->Holder_Get(holderId_)) : nullptr;
}

void TQV_SearchFoldersFrm::AddPath(const QString& HolderID)
{
    holderId_ = HolderID;
    PathList->clear();
    Localize();
    if (const TSearchHolder* search = Target())
        for (const QString& path : search->SH_SEARCH_DATA->SD_PATHS) AppendPath(path);
    PathList->clearSelection();
    UpdateButtons();
}

QStringList TQV_SearchFoldersFrm::Paths() const
{
    QStringList paths;
    for (int i = 0; i < PathList->topLevelItemCount(); ++i)
        paths << PathList->topLevelItem(i)->data(1, PathRole).toString();
    return paths;
}

void TQV_SearchFoldersFrm::AppendPath(const QString& Path)
{
    if (Path.isEmpty()) return;
    for (int i = 0; i < PathList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = PathList->topLevelItem(i);
        if (row->data(1, PathRole).toString() != Path) continue;
        PathList->setCurrentItem(row);
        return;
    }
    auto* row = new QTreeWidgetItem(PathList);
    row->setData(1, PathRole, Path);
    row->setText(1, RowText(Path));
    row->setToolTip(1, RowText(Path));
    Renumber();
    PathList->setCurrentItem(row);
    UpdateButtons();
}

void TQV_SearchFoldersFrm::AddFolder()
{
    if (!ChooseFolder) return;
    const QString chosen = ChooseFolder(this, DlgText("SearchDialog", "SelectFolder", "Select a directory"));
    if (chosen.isEmpty()) return;
    const QString folder = ExcludeTrailingPathDelimiter(chosen);
    AppendPath(folder.isEmpty() ? QStringLiteral("/") : folder);
}

void TQV_SearchFoldersFrm::AddDrives() { AppendPath(QDrivePath); }

void TQV_SearchFoldersFrm::RemoveSelected()
{
    const QList<QTreeWidgetItem*> selected = PathList->selectedItems();
    if (selected.isEmpty()) return;
    const int first = PathList->indexOfTopLevelItem(selected.front());
    qDeleteAll(selected);
    Renumber();
    // The keyboard stays on the list, at the row that took the removed one's place.
    if (const int count = PathList->topLevelItemCount(); count > 0)
        PathList->setCurrentItem(PathList->topLevelItem(std::min(first, count - 1)));
    UpdateButtons();
}

void TQV_SearchFoldersFrm::RemoveAll()
{
    PathList->clear();
    UpdateButtons();
}

void TQV_SearchFoldersFrm::Renumber()
{
    for (int i = 0; i < PathList->topLevelItemCount(); ++i)
        PathList->topLevelItem(i)->setText(0, QString::number(i + 1));
}

void TQV_SearchFoldersFrm::UpdateButtons()
{
    BTN_REMOVE->setEnabled(!PathList->selectedItems().isEmpty());
    BTN_REMOVE_ALL->setEnabled(PathList->topLevelItemCount() > 0);
}

bool TQV_SearchFoldersFrm::Save()
{
    TSearchHolder* search = Target();
    if (!search) return false;
    TSearchData& data = *search->SH_SEARCH_DATA;
    data.Clear();
    for (const QString& path : Paths()) data.AddPath(path, false);
    data.SD_PATHS.removeDuplicates();
    return true;
}

void TQV_SearchFoldersFrm::accept()
{
    Save();
    holderId_.clear();
    // The folders field of the search bar shows the new list.
    if (TCtrlManager* manager = CtrlManager()) manager->Control_Update();
    QDialog::accept();
}

void TQV_SearchFoldersFrm::done(int result)
{
    RememberDialogSize(this, objectName());
    QDialog::done(result);
}
