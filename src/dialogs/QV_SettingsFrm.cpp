#include "dialogs/QV_SettingsFrm.h"

#include "dialogs/QV_DialogSupport.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "foundation/QV_Utils.h"
#include "platform/desktop/QV_Launch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum class TKind { kBool, kInt };

// One control of the settings table: where it writes, its caption, and the
// value in force it shows.
struct TSettingRow {
    const char* Group;
    const char* Param;
    const char* Key;      // caption key of language section "Settings"
    const char* Default;  // English caption
    TKind Kind;
    int (*Value)(const TQvSettings&);
    int Most = 10000;     // number fields only
};

#define QV_VALUE(expr) [](const TQvSettings& s) { return int(s.expr); }
const TSettingRow Rows[] = {
    /* 0 */ {"Mouse", "ClickDelay", "MouseClickDelay", "Click Delay (ms.)", TKind::kInt, QV_VALUE(Mouse.ClickDelay), 5000},
    {"Mouse", "ClickScroll", "ClickScroll", "Click Scroll", TKind::kInt, QV_VALUE(Mouse.ClickScroll)},
    {"Mouse", "WheelScroll", "WheelScroll", "Wheel Scroll", TKind::kInt, QV_VALUE(Mouse.WheelScroll)},
    {"Mouse", "StickyScroll", "StickyScrolling", "Sticky Scrolling", TKind::kBool, QV_VALUE(Mouse.StickyScroll)},
    /* 4 */ {"Browsing", "HideHidden", "HideHiddenFiles", "Hide Hidden", TKind::kBool, QV_VALUE(Browsing.HideHidden)},
    {"Browsing", "HideSystem", "HideSystemFiles", "Hide System", TKind::kBool, QV_VALUE(Browsing.HideSystem)},
    {"Browsing", "ShowFoldersFirst", "ShowFoldersFirst", "Show Folders First", TKind::kBool,
     QV_VALUE(Browsing.ShowFoldersFirst)},
    {"Browsing", "HideFileExtension", "HideFileExtension", "Hide File Extension", TKind::kBool,
     QV_VALUE(Browsing.HideFileExtension)},
    {"Browsing", "ItemWidth", "ItemWidth", "Item Width", TKind::kInt, QV_VALUE(Browsing.ItemWidth), 2000},
    {"Browsing", "ItemHeight", "ItemHeight", "Item Height", TKind::kInt, QV_VALUE(Browsing.ItemHeight), 2000},
    /* 10 */ {"Browsing", "HideFloppy", "HideFloppy", "Do not detect Floppy Drive:", TKind::kBool,
              QV_VALUE(Browsing.HideFloppy)},
    {"Browsing", "HideFloppyA", "", "/dev/fd0", TKind::kBool, QV_VALUE(Browsing.HideFloppyA)},
    {"Browsing", "HideFloppyB", "", "/dev/fd1", TKind::kBool, QV_VALUE(Browsing.HideFloppyB)},
    /* 13 */ {"Media", "PlayNavSound", "PlayNavigationSound", "Play sound", TKind::kBool, QV_VALUE(Media.PlayNavSound)},
    {"General", "FolderGroup", "SmartFileGrouping", "New Folder Grouping", TKind::kBool, QV_VALUE(General.FolderGroup)},
    {"General", "TipDistance", "TipPopUpOffSet", "Tip Popup Offset", TKind::kInt, QV_VALUE(General.TipDistance)},
    /* 16 */ {"StartUp", "RestoreLastSession", "RestoreLastSession", "Restore Last Session", TKind::kBool,
              QV_VALUE(StartUp.RestoreLastSession)},
    {"StartUp", "RestorePosition", "RestoreWindowPosition", "Restore Window Position", TKind::kBool,
     QV_VALUE(StartUp.RestorePosition)},
    {"StartUp", "RestoreWH", "RestoreWindowParams", "Restore Window Params", TKind::kBool, QV_VALUE(StartUp.RestoreWH)},
    /* 19 */ {"SmartTabs", "SaveRecent", "SaveRecentTabs", "Save recent tabs (max/)", TKind::kBool,
              QV_VALUE(SmartTabs.SaveRecent)},
    {"SmartTabs", "MaxRecent", "", "", TKind::kInt, QV_VALUE(SmartTabs.MaxRecent), MaxRecentLimit},
    {"SmartTabs", "Height", "TabHeight", "Height", TKind::kInt, QV_VALUE(SmartTabs.Height), 200},
    {"SmartTabs", "TabWidthMax", "TabWidthMax", "Tab Width (max)", TKind::kInt, QV_VALUE(SmartTabs.TabWidthMax)},
    {"SmartTabs", "TabWidthMin", "TabWidthMin", "Tab Width (min)", TKind::kInt, QV_VALUE(SmartTabs.TabWidthMin)},
    {"SmartTabs", "ButtonWidthMax", "BtnWidthMax", "Button Width (max)", TKind::kInt,
     QV_VALUE(SmartTabs.ButtonWidthMax)},
    /* 25 */ {"SmartTabs", "ButtonToTabSpacing", "BtnToTabSpacing", "Button to Tab Spacing", TKind::kInt,
              QV_VALUE(SmartTabs.ButtonToTabSpacing), 200},
    {"SmartTabs", "TabSpacing", "TabSpacing", "Tab Spacing", TKind::kInt, QV_VALUE(SmartTabs.TabSpacing), 200},
    {"SmartTabs", "ButtonSpacing", "BtnSpacing", "Button Spacing", TKind::kInt, QV_VALUE(SmartTabs.ButtonSpacing), 200},
    {"SmartTabs", "ShowAddTab", "Show+Tab", "Show \"+Tab\"", TKind::kBool, QV_VALUE(SmartTabs.ShowAddTab)},
    /* 29 */ {"SmartTabs", "TabPreview", "TabPreview", "Tab Preview", TKind::kBool, QV_VALUE(SmartTabs.TabPreview)},
    {"SmartTabs", "StickTabPreview", "StickyTabPreview", "Sticky Tab Preview", TKind::kBool,
     QV_VALUE(SmartTabs.StickTabPreview)},
    {"SmartTabs", "SmallTabsLeft", "SmallTabsLeft", "Small Tabs (Left)", TKind::kBool, QV_VALUE(SmartTabs.SmallTabsLeft)},
    {"SmartTabs", "SmallTabsRight", "SmallTabsRight", "Small Tabs (Right)", TKind::kBool,
     QV_VALUE(SmartTabs.SmallTabsRight)},
    {"SmartTabs", "SmallButtonsLeft", "SmallBtnLeft", "Small Buttons (Left)", TKind::kBool,
     QV_VALUE(SmartTabs.SmallButtonsLeft)},
    {"SmartTabs", "SmallButtonsRight", "SmallBtnRight", "Small Buttons (Right)", TKind::kBool,
     QV_VALUE(SmartTabs.SmallButtonsRight)},
    /* 35 */ {"QuickBar", "ItemSize", "ItemSize", "Item Size", TKind::kInt, QV_VALUE(QuickBar.ItemSize), 256},
    {"QuickBar", "ItemSpacing", "ItemSpacing", "Item Spacing", TKind::kInt, QV_VALUE(QuickBar.ItemSpacing), 200},
    {"QuickBar", "ShowHint", "ShowHint", "Show Hint", TKind::kBool, QV_VALUE(QuickBar.ShowHint)},
    /* 38 */ {"PathBar", "ItemSize", "ItemSize", "Item Size", TKind::kInt, QV_VALUE(PathBar.ItemSize), 256},
    {"PathBar", "ItemSpacing", "ItemSpacing", "Item Spacing", TKind::kInt, QV_VALUE(PathBar.ItemSpacing), 200},
    {"PathBar", "ShowHint", "ShowHint", "Show Hint", TKind::kBool, QV_VALUE(PathBar.ShowHint)},
    /* 41 */ {"ActionBar", "ItemSize", "ItemSize", "Item Size", TKind::kInt, QV_VALUE(ActionBar.ItemSize), 256},
    {"ActionBar", "ItemSpacing", "ItemSpacing", "Item Spacing", TKind::kInt, QV_VALUE(ActionBar.ItemSpacing), 200},
    {"ActionBar", "ShowHint", "ShowHint", "Show Hint", TKind::kBool, QV_VALUE(ActionBar.ShowHint)},
    /* 44 */ {"SmartEdit", "PreviewSelected", "PreviewSelected", "Preview Selected", TKind::kBool,
              QV_VALUE(SmartEdit.PreviewSelected)},
    {"SmartEdit", "MenuAutoShow", "MenuAutoPopUp", "Menu AutoPopUp", TKind::kBool, QV_VALUE(SmartEdit.MenuAutoShow)},
    /* 46 */ {"SmartMenu", "PopUpOffset", "PopUpOffset", "PopUpOffset", TKind::kInt, QV_VALUE(SmartMenu.PopUpOffset), 500},
    {"SmartMenu", "ItemSize", "ItemSize", "ItemSize", TKind::kInt, QV_VALUE(SmartMenu.ItemSize), 256},
    {"SmartMenu", "ItemSpacing", "ItemSpacing", "ItemSpacing", TKind::kInt, QV_VALUE(SmartMenu.ItemSpacing), 200},
    {"SmartMenu", "MenuWidth", "MenuWidth", "Standart Menu Width", TKind::kInt, QV_VALUE(SmartMenu.MenuWidth), 2000},
};
#undef QV_VALUE

constexpr int RowCount = int(std::size(Rows));

int RowOf(const char* group, const char* param)
{
    for (int i = 0; i < RowCount; ++i)
        if (qstrcmp(Rows[i].Group, group) == 0 && qstrcmp(Rows[i].Param, param) == 0) return i;
    return -1;
}

// A switch that also enables other controls.
struct TEnables {
    const char* Group;
    const char* Param;
    std::vector<const char*> Dependents;  // parameters of the same group
};
const TEnables Enabling[] = {
    {"Browsing", "HideFloppy", {"HideFloppyA", "HideFloppyB"}},
    {"SmartTabs", "SaveRecent", {"MaxRecent"}},
    {"SmartTabs", "TabPreview", {"StickTabPreview"}},
};

struct TFamily {
    const char* Folder;
    const char* Setting;
    const char* Key;
    const char* Default;
    QString (*Current)();
};
const TFamily Families[3] = {
    {"DataPath:\\Themes\\Controls\\", "ControlTheme", "ControlThemes", "Controls",
     [] { return QString(Settings().Theming.ControlTheme); }},
    {"DataPath:\\Themes\\Buttons\\", "ButtonTheme", "ButtonThemes", "Button Icons",
     [] { return QString(Settings().Theming.ButtonTheme); }},
    {"DataPath:\\Themes\\FileIcons\\", "FilesTheme", "FileIconThemes", "File Icons",
     [] { return QString(Settings().Theming.FilesTheme); }},
};

const int FolderRole = Qt::UserRole;
const int InfoRole = Qt::UserRole + 1;
const int PreviewRole = Qt::UserRole + 2;

bool IsSoundFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("oga") || suffix == QLatin1String("ogg") || suffix == QLatin1String("wav");
}

// The item's parameter string with one parameter set (removed when empty).
QString WithParam(const QString& params, const QString& name, const QString& value)
{
    return ReplaceValue(params, name, value);
}

} // namespace

TQV_SettingsForm::TQV_SettingsForm(QWidget* parent)
    : QDialog(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Settings"));
    setSizeGripEnabled(true);
    controls_.assign(RowCount, nullptr);

    status_ = new QLabel(this);
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    message_ = new QLabel(this);
    message_->setWordWrap(true);

    Pages = new QTabWidget(this);
    Pages->addTab(BuildGeneral(), QString());
    Pages->addTab(BuildControls(), QString());
    Pages->addTab(BuildThemes(), QString());
    Pages->addTab(BuildTypes(), QString());
    Caption([this](const QString& t) { Pages->setTabText(0, t); }, "Settings", "General", "General");
    Caption([this](const QString& t) { Pages->setTabText(1, t); }, "Settings", "Controls", "Controls");
    Caption([this](const QString& t) { Pages->setTabText(2, t); }, "Settings", "Themes", "Themes");
    Caption([this](const QString& t) { Pages->setTabText(3, t); }, "Settings", "FileTypes", "File Types");
    connect(Pages, &QTabWidget::currentChanged, this, [this] { UpdateStatus(); });

    auto* close = new QPushButton(this);
    Caption(close, "General", "Done", "Done");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(message_, 1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(Pages, 1);
    layout->addLayout(bottom);

    resize(640, 520);
    RestoreDialogSize(this, objectName());
}

TQV_SettingsForm::~TQV_SettingsForm() = default;

void TQV_SettingsForm::Caption(QWidget* widget, const char* section, const char* key, const char* def)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        Caption([button](const QString& t) { button->setText(t); }, section, key, def);
    else if (auto* box = qobject_cast<QGroupBox*>(widget))
        Caption([box](const QString& t) { box->setTitle(t); }, section, key, def);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        Caption([label](const QString& t) { label->setText(t); }, section, key, def);
}

void TQV_SettingsForm::Caption(std::function<void(const QString&)> set, const char* section, const char* key,
                               const char* def)
{
    captions_.push_back([set, section, key, def] { set(*key ? DlgText(section, key, def) : QString::fromUtf8(def)); });
}

QWidget* TQV_SettingsForm::RowsBox(const char* titleKey, const char* titleDefault, const std::vector<int>& rows)
{
    auto* box = new QGroupBox;
    Caption(box, "Settings", titleKey, titleDefault);
    auto* form = new QFormLayout(box);
    for (int index : rows) {
        const TSettingRow& row = Rows[index];
        if (row.Kind == TKind::kBool) {
            auto* check = new QCheckBox(box);
            Caption(check, "Settings", row.Key, row.Default);
            connect(check, &QCheckBox::toggled, this, [this, index] { WriteRow(index); });
            controls_[index] = check;
            form->addRow(check);
        } else {
            auto* spin = new QSpinBox(box);
            spin->setRange(0, row.Most);
            connect(spin, &QSpinBox::valueChanged, this, [this, index] { WriteRow(index); });
            controls_[index] = spin;
            auto* label = new QLabel(box);
            label->setBuddy(spin);
            Caption(label, "Settings", row.Key, row.Default);
            form->addRow(label, spin);
        }
    }
    return box;
}

QWidget* TQV_SettingsForm::BuildGeneral()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(RowsBox("Mouse", "Mouse", {0, 1, 2, 3}), 0, 0);
    grid->addWidget(RowsBox("StartUp", "Start Up", {16, 17, 18}), 1, 0);
    grid->addWidget(RowsBox("Browsing", "Browsing", {4, 5, 6, 7, 8, 9, 10, 11, 12}), 0, 1, 2, 1);

    auto* others = static_cast<QGroupBox*>(RowsBox("Others", "Others", {14, 15, 13}));
    auto* form = static_cast<QFormLayout*>(others->layout());
    controls_[14]->setToolTip(DlgText("Settings", "SmartFileGroupingTip", ""));
    Caption([this](const QString& t) { controls_[14]->setToolTip(t); }, "Settings", "SmartFileGroupingTip", "");
    SoundLabel = new QLabel(others);
    auto* chooseSound = new QPushButton(QStringLiteral("…"), others);
    chooseSound->setMaximumWidth(40);
    connect(chooseSound, &QPushButton::clicked, this, [this] {
        auto* chooser = new QFileDialog(this);
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->setFileMode(QFileDialog::ExistingFile);
        chooser->setNameFilter(tr("Sounds (*.oga *.ogg *.wav)"));
        connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& file) { ChooseSound(file); });
        chooser->open();
    });
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(SoundLabel, 1);
    soundRow->addWidget(chooseSound);
    form->addRow(soundRow);
    Language = new QComboBox(others);
    auto* languageLabel = new QLabel(others);
    languageLabel->setBuddy(Language);
    Caption(languageLabel, "Settings", "Language", "Language");
    form->insertRow(0, languageLabel, Language);
    connect(Language, &QComboBox::activated, this, [this] { ChooseLanguage(Language->currentText()); });
    grid->addWidget(others, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TQV_SettingsForm::BuildControls()
{
    auto* sub = new QTabWidget;
    subPages_[0] = sub;
    const struct {
        const char* Key;
        const char* Default;
        std::vector<int> Rows;
    } pages[] = {
        {"SmartTabs", "Smart Tabs", {19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34}},
        {"QuickBar", "QuickBar", {35, 36, 37}},
        {"PathBar", "PathBar", {38, 39, 40}},
        {"ActionBar", "ActionBar", {41, 42, 43}},
        {"SmartEdit", "SmartEdit", {44, 45}},
        {"SmartMenu", "SmartMenu", {46, 47, 48, 49}},
    };
    for (const auto& p : pages) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(RowsBox(p.Key, p.Default, p.Rows));
        layout->addStretch();
        const int at = sub->addTab(page, QString());
        Caption([sub, at](const QString& t) { sub->setTabText(at, t); }, "Settings", p.Key, p.Default);
    }
    connect(sub, &QTabWidget::currentChanged, this, [this] { UpdateStatus(); });
    return sub;
}

QWidget* TQV_SettingsForm::BuildThemes()
{
    auto* sub = new QTabWidget;
    subPages_[1] = sub;
    for (int family = 0; family < 3; ++family) {
        auto* page = new QWidget;
        auto* list = new QListWidget(page);
        list->setAlternatingRowColors(true);
        auto* preview = new QLabel(page);
        preview->setMinimumSize(160, 120);
        preview->setAlignment(Qt::AlignCenter);
        preview->setFrameShape(QFrame::StyledPanel);
        auto* memo = new QPlainTextEdit(page);
        memo->setReadOnly(true);
        auto* apply = new QPushButton(page);
        Caption(apply, "Settings", "Apply", "Apply");
        ThemeLists[family] = list;
        ThemePreview[family] = preview;
        ThemeMemo[family] = memo;

        auto* right = new QVBoxLayout;
        right->addWidget(preview, 1);
        right->addWidget(memo, 1);
        auto* openPreview = new QPushButton(page);
        Caption(openPreview, "General", "Open", "Open");
        right->addWidget(openPreview);
        right->addWidget(apply);
        auto* layout = new QHBoxLayout(page);
        layout->addWidget(list, 1);
        layout->addLayout(right, 1);

        connect(list, &QListWidget::currentRowChanged, this, [this, family] {
            QListWidgetItem* item = ThemeLists[family]->currentItem();
            const QString preview = item ? item->data(PreviewRole).toString() : QString();
            ThemePreview[family]->clear();
            if (!preview.isEmpty()) {
                const QPixmap picture(preview);
                ThemePreview[family]->setPixmap(picture.scaled(ThemePreview[family]->size(), Qt::KeepAspectRatio,
                                                               Qt::SmoothTransformation));
            }
            ThemeMemo[family]->setPlainText(item ? item->data(InfoRole).toString() : QString());
        });
        connect(openPreview, &QPushButton::clicked, this, [this, family] {
            QListWidgetItem* item = ThemeLists[family]->currentItem();
            if (item && !item->data(PreviewRole).toString().isEmpty())
                if (TFsStatus opened = OpenDocument(item->data(PreviewRole).toString()); !opened)
                    ShowMessage(opened.Error().Message(), true);
        });
        connect(apply, &QPushButton::clicked, this, [this, family] { ApplyTheme(family); });
        const int at = sub->addTab(page, QString());
        Caption([sub, at](const QString& t) { sub->setTabText(at, t); }, "Settings", Families[family].Key,
                Families[family].Default);
    }
    connect(sub, &QTabWidget::currentChanged, this, [this] { UpdateStatus(); });
    return sub;
}

QWidget* TQV_SettingsForm::BuildTypes()
{
    auto* page = new QWidget;
    Types = new QTreeWidget(page);
    Types->setColumnCount(2);
    Types->setRootIsDecorated(false);
    Types->setAlternatingRowColors(true);
    Types->setSortingEnabled(true);
    Types->sortByColumn(0, Qt::AscendingOrder);
    Caption([this](const QString& t) { Types->headerItem()->setText(0, t); }, "Settings", "Extension", "Extension");
    Caption([this](const QString& t) { Types->headerItem()->setText(1, t); }, "Settings", "Description", "Description");
    connect(Types, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!filling_ && item) SelectType(item->text(0));
    });

    TypeExtension = new QLineEdit(page);
    TypeParent = new QComboBox(page);
    TypeParent->setEditable(true);
    TypeDescription = new QLineEdit(page);
    auto* typeForm = new QFormLayout;
    auto addRow = [&](QFormLayout* form, QWidget* field, const char* key, const char* def) {
        auto* label = new QLabel(page);
        label->setBuddy(field);
        Caption(label, "Settings", key, def);
        form->addRow(label, field);
    };
    addRow(typeForm, TypeExtension, "Extension", "Extension");
    addRow(typeForm, TypeParent, "Type", "Type");
    addRow(typeForm, TypeDescription, "Description", "Description");
    auto* typeAdd = new QPushButton(page);
    auto* typeRemove = new QPushButton(page);
    Caption(typeAdd, "Settings", "AddChange", "Add/Change");
    Caption(typeRemove, "Settings", "Remove", "Remove");
    connect(typeAdd, &QPushButton::clicked, this, [this] { AddChangeType(); });
    connect(typeRemove, &QPushButton::clicked, this, [this] { RemoveType(); });
    auto* typeButtons = new QHBoxLayout;
    typeButtons->addWidget(typeAdd);
    typeButtons->addWidget(typeRemove);

    TypeItems = new QListWidget(page);
    connect(TypeItems, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_) SelectTypeItem(row);
    });
    ItemID = new QLineEdit(page);
    ItemCMD = new QComboBox(page);
    ItemCMD->setEditable(true);
    ItemCMD->addItems(CommandIdentifiers());
    // A chosen command proposes an identifier of its own, as the bars do.
    connect(ItemCMD, &QComboBox::activated, this, [this] {
        if (ItemID->text().isEmpty()) ItemID->setText(ItemCMD->currentText());
    });
    ItemParam1 = new QLineEdit(page);
    ItemParam2 = new QLineEdit(page);
    ItemCaption = new QLineEdit(page);
    ItemImage = new QLineEdit(page);
    auto* itemForm = new QFormLayout;
    addRow(itemForm, ItemID, "ID", "ID");
    addRow(itemForm, ItemCMD, "CMD", "CMD");
    addRow(itemForm, ItemParam1, "Param1", "Param1");
    addRow(itemForm, ItemParam2, "Param2", "Param2");
    addRow(itemForm, ItemCaption, "Caption", "Caption");
    addRow(itemForm, ItemImage, "Image", "Image");
    auto* itemButtons = new QHBoxLayout;
    const struct {
        const char* Key;
        const char* Default;
        std::function<void()> Run;
    } buttons[] = {
        {"AddChange", "Change / Add", [this] { AddChangeItem(); }},
        {"Remove", "Remove", [this] { RemoveItem(); }},
        {"Up", "Up", [this] { MoveItem(-1); }},
        {"Down", "Down", [this] { MoveItem(1); }},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(page);
        Caption(button, "Settings", b.Key, b.Default);
        connect(button, &QPushButton::clicked, this, b.Run);
        itemButtons->addWidget(button);
    }

    auto* itemsBox = new QGroupBox(page);
    Caption(itemsBox, "Settings", "Items", "Items");
    auto* itemsLayout = new QHBoxLayout(itemsBox);
    itemsLayout->addWidget(TypeItems, 1);
    auto* itemEdit = new QVBoxLayout;
    itemEdit->addLayout(itemForm);
    itemEdit->addLayout(itemButtons);
    itemsLayout->addLayout(itemEdit, 1);

    auto* right = new QVBoxLayout;
    right->addLayout(typeForm);
    right->addLayout(typeButtons);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(Types, 1);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top, 1);
    layout->addWidget(itemsBox, 1);
    return page;
}

void TQV_SettingsForm::showEvent(QShowEvent* event)
{
    LoadSettings();
    LoadLang();
    Pages->setCurrentIndex(0);
    UpdateStatus();
    QDialog::showEvent(event);
}

void TQV_SettingsForm::LoadSettings()
{
    filling_ = true;
    const TQvSettings& s = Settings();
    for (int i = 0; i < RowCount; ++i) {
        const int value = Rows[i].Value(s);
        if (auto* check = qobject_cast<QCheckBox*>(controls_[i])) check->setChecked(value != 0);
        else if (auto* spin = qobject_cast<QSpinBox*>(controls_[i])) spin->setValue(value);
    }
    Language->clear();
    Language->addItems(ListLanguages());
    const int lang = Language->findText(Settings().General.Lang, Qt::MatchFixedString);
    if (lang >= 0) Language->setCurrentIndex(lang);
    const QString sound = Settings().Media.NavSound;
    SoundLabel->setText(QFileInfo(sound).fileName());
    SoundLabel->setToolTip(sound);
    filling_ = false;
    for (int family = 0; family < 3; ++family) FillThemes(family);
    LoadExtensions();
    UpdateEnabled();
}

void TQV_SettingsForm::LoadLang()
{
    setWindowTitle(DlgText("Settings", "Customize", "Customize"));
    for (const auto& caption : captions_) caption();
    UpdateStatus();
}

QWidget* TQV_SettingsForm::SettingControl(const QString& Group, const QString& Param) const
{
    const int row = RowOf(Group.toLatin1().constData(), Param.toLatin1().constData());
    return row < 0 ? nullptr : controls_[row];
}

void TQV_SettingsForm::WriteRow(int index)
{
    if (filling_) return;
    QString value;
    if (auto* check = qobject_cast<QCheckBox*>(controls_[index])) value = check->isChecked() ? "1" : "0";
    else if (auto* spin = qobject_cast<QSpinBox*>(controls_[index])) value = QString::number(spin->value());
    if (!WriteSettingParam(QString::fromLatin1(Rows[index].Group), QString::fromLatin1(Rows[index].Param), value)) {
        ShowMessage(DlgText("Messages", "CannotSaveSettings", "The settings file could not be written."), true);
        return;
    }
    ApplySettings();
    UpdateEnabled();
}

void TQV_SettingsForm::UpdateEnabled()
{
    for (const TEnables& e : Enabling) {
        auto* check = qobject_cast<QCheckBox*>(controls_[RowOf(e.Group, e.Param)]);
        for (const char* dependent : e.Dependents) controls_[RowOf(e.Group, dependent)]->setEnabled(check->isChecked());
    }
    SoundLabel->setEnabled(qobject_cast<QCheckBox*>(controls_[RowOf("Media", "PlayNavSound")])->isChecked());
}

bool TQV_SettingsForm::ChooseSound(const QString& Path)
{
    if (!IsSoundFile(Path)) {
        ShowMessage(DlgText("Messages", "NotASound", "Choose a sound file (.oga, .ogg or .wav)."), true);
        return false;
    }
    if (!WriteSettingParam(QStringLiteral("Media"), QStringLiteral("NavSound"), Path)) {
        ShowMessage(DlgText("Messages", "CannotSaveSettings", "The settings file could not be written."), true);
        return false;
    }
    ApplySettings();
    SoundLabel->setText(QFileInfo(Path).fileName());
    SoundLabel->setToolTip(Path);
    ShowMessage(QString(), false);
    return true;
}

bool TQV_SettingsForm::ChooseLanguage(const QString& Name)
{
    const int at = Language->findText(Name, Qt::MatchFixedString);
    if (at < 0) return false;
    Language->setCurrentIndex(at);
    if (Name == QString(Settings().General.Lang)) return true;
    if (!WriteSettingParam(QStringLiteral("General"), QStringLiteral("Lang"), Language->itemText(at))) {
        ShowMessage(DlgText("Messages", "CannotSaveSettings", "The settings file could not be written."), true);
        return false;
    }
    ApplySettings();
    LoadSettings();
    LoadLang();
    return true;
}

void TQV_SettingsForm::FillThemes(int family)
{
    QListWidget* list = ThemeLists[family];
    list->clear();
    for (const TThemeInfo& theme : ListThemes(QString::fromLatin1(Families[family].Folder), Families[family].Current())) {
        auto* item = new QListWidgetItem(theme.Current ? theme.Name + QStringLiteral("  (") +
                                                             DlgText("Settings", "Current", "Current") + u')'
                                                       : theme.Name,
                                         list);
        QFont font = item->font();
        font.setBold(theme.Current);
        item->setFont(font);
        item->setData(FolderRole, theme.Folder);
        item->setData(PreviewRole, theme.Preview);
        item->setData(InfoRole, DlgText("Settings", "Name:", "Name: ") + theme.Name + u'\n' +
                                    DlgText("Settings", "Author:", "Author: ") + theme.Author + u'\n' +
                                    DlgText("Settings", "Version:", "Version: ") + theme.Ver + u'\n' +
                                    DlgText("Settings", "Date:", "Date: ") + theme.Date + u'\n' +
                                    DlgText("Settings", "Description:", "Description: ") + theme.Desc);
    }
    ThemePreview[family]->clear();
    ThemeMemo[family]->clear();
}

bool TQV_SettingsForm::SelectTheme(int Family, const QString& Folder)
{
    QListWidget* list = ThemeLists[Family];
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(FolderRole).toString() == Folder) {
            list->setCurrentRow(i);
            return true;
        }
    return false;
}

bool TQV_SettingsForm::ApplyTheme(int Family)
{
    QListWidgetItem* item = ThemeLists[Family]->currentItem();
    if (!item) return false;
    if (!WriteSettingParam(QStringLiteral("Theming"), QString::fromLatin1(Families[Family].Setting),
                           item->data(FolderRole).toString())) {
        ShowMessage(DlgText("Messages", "CannotSaveSettings", "The settings file could not be written."), true);
        return false;
    }
    ApplySettings();
    ShowMessage(DlgText("Messages", "PleaseRestart", "Please Restart Qorvel"), false);
    return true;
}

// --- File types ---

void TQV_SettingsForm::LoadExtensions()
{
    const QString selected = currentType_ >= 0 && currentType_ < int(types_.size()) ? types_[currentType_].Extension
                                                                                   : QString();
    filling_ = true;
    types_ = LoadTypeSections(QStringLiteral("TypesFile:\\"));
    Types->clear();
    TypeParent->clear();
    currentType_ = -1;
    for (const TTypeSection& type : types_) {
        const QString description = type.Description();
        auto* row = new QTreeWidgetItem(Types, {type.Extension, description.isEmpty() ? QStringLiteral("-") : description});
        if (type.Extension == selected) Types->setCurrentItem(row);
        if (!type.Extension.startsWith(u'.')) TypeParent->addItem(type.Extension);
    }
    filling_ = false;
    SelectType(selected);
}

const TTypeSection* TQV_SettingsForm::CurrentType() const
{
    return currentType_ >= 0 && currentType_ < int(types_.size()) ? &types_[currentType_] : nullptr;
}

void TQV_SettingsForm::SelectType(const QString& Extension)
{
    currentType_ = -1;
    for (int i = 0; i < int(types_.size()); ++i)
        if (types_[i].Extension.compare(Extension, Qt::CaseInsensitive) == 0) currentType_ = i;
    filling_ = true;
    TypeItems->clear();
    const TTypeSection* type = CurrentType();
    TypeExtension->setText(type ? type->Extension : QString());
    TypeParent->setCurrentText(type ? type->ParentType() : QString());
    TypeDescription->setText(type ? ExtractValue(type->Params, QStringLiteral("Description"), QStringLiteral("File"))
                                  : QString());
    if (type)
        for (const auto& [key, value] : type->Items)
            TypeItems->addItem(ExtractValue(value, QStringLiteral("CMD"), QStringLiteral("Unknown")));
    filling_ = false;
    SelectTypeItem(-1);
}

void TQV_SettingsForm::SelectTypeItem(int Row)
{
    const TTypeSection* type = CurrentType();
    const bool valid = type && Row >= 0 && Row < type->Items.size();
    const QString value = valid ? type->Items[Row].second : QString();
    ItemID->setText(valid ? type->Items[Row].first : QString());
    ItemCMD->setCurrentText(ExtractValue(value, QStringLiteral("CMD"), QString()));
    ItemParam1->setText(ExtractValue(value, QStringLiteral("Param1"), QString()));
    ItemParam2->setText(ExtractValue(value, QStringLiteral("Param2"), QString()));
    ItemCaption->setText(ExtractValue(value, QStringLiteral("Caption"), QString()));
    ItemImage->setText(ExtractValue(value, QStringLiteral("Image"), QString()));
}

void TQV_SettingsForm::SaveCurrentType()
{
    const TTypeSection* type = CurrentType();
    if (!type) return;
    const int row = TypeItems->currentRow();
    if (!SaveTypeSection(QStringLiteral("TypesFile:\\"), *type))
        ShowMessage(DlgText("Messages", "CannotSaveTypes", "The file types could not be written."), true);
    if (OnTypesChanged) OnTypesChanged();
    LoadExtensions();
    filling_ = true;
    TypeItems->setCurrentRow(row);
    filling_ = false;
    SelectTypeItem(row);
}

void TQV_SettingsForm::AddChangeType()
{
    const QString extension = TypeExtension->text().trimmed();
    if (extension.isEmpty() || extension.contains(u']')) return;
    TTypeSection section;
    section.Extension = extension;
    for (const TTypeSection& type : types_)
        if (type.Extension.compare(extension, Qt::CaseInsensitive) == 0) section = type;
    section.Params = WithParam(section.Params, QStringLiteral("Type"), TypeParent->currentText().trimmed());
    section.Params = WithParam(section.Params, QStringLiteral("Description"), TypeDescription->text().trimmed());
    if (section.Params.isEmpty()) section.Params = QStringLiteral("Description(") + extension + u')';
    if (!SaveTypeSection(QStringLiteral("TypesFile:\\"), section))
        ShowMessage(DlgText("Messages", "CannotSaveTypes", "The file types could not be written."), true);
    if (OnTypesChanged) OnTypesChanged();
    currentType_ = -1;
    LoadExtensions();
    SelectType(extension);
}

void TQV_SettingsForm::RemoveType()
{
    const QString extension = TypeExtension->text().trimmed();
    if (extension.isEmpty()) return;
    if (!RemoveTypeSection(QStringLiteral("TypesFile:\\"), extension))
        ShowMessage(DlgText("Messages", "CannotSaveTypes", "The file types could not be written."), true);
    if (OnTypesChanged) OnTypesChanged();
    currentType_ = -1;
    LoadExtensions();
}

void TQV_SettingsForm::AddChangeItem()
{
    if (!CurrentType()) return;
    TTypeSection& type = types_[currentType_];
    QString id = ItemID->text().trimmed();
    const QString cmd = ItemCMD->currentText().trimmed();
    if (id.isEmpty()) id = cmd;
    // A key cannot hold "=" nor start a section or a comment.
    id.remove(u'=');
    while (id.startsWith(u'[') || id.startsWith(u';')) id.remove(0, 1);
    if (id.isEmpty() || id.compare(QStringLiteral("Params"), Qt::CaseInsensitive) == 0) return;
    int at = -1;
    for (int i = 0; i < type.Items.size(); ++i)
        if (type.Items[i].first.compare(id, Qt::CaseInsensitive) == 0) at = i;
    QString value = at >= 0 ? type.Items[at].second : QString();
    value = WithParam(value, QStringLiteral("CMD"), cmd);
    value = WithParam(value, QStringLiteral("Param1"), ItemParam1->text().trimmed());
    value = WithParam(value, QStringLiteral("Param2"), ItemParam2->text().trimmed());
    value = WithParam(value, QStringLiteral("Caption"), ItemCaption->text().trimmed());
    const QString image = ItemImage->text().trimmed();
    value = WithParam(value, QStringLiteral("Image"), image.isEmpty() ? QString() : ToAliasPath(image));
    if (at >= 0) type.Items[at] = {type.Items[at].first, value};
    else {
        type.Items.append({id, value});
        at = type.Items.size() - 1;
    }
    filling_ = true;
    TypeItems->clear();
    filling_ = false;
    SaveCurrentType();
    TypeItems->setCurrentRow(at);
}

void TQV_SettingsForm::RemoveItem()
{
    const int row = TypeItems->currentRow();
    if (!CurrentType() || row < 0 || row >= types_[currentType_].Items.size()) return;
    types_[currentType_].Items.removeAt(row);
    SaveCurrentType();
}

void TQV_SettingsForm::MoveItem(int Delta)
{
    const int row = TypeItems->currentRow();
    if (!CurrentType()) return;
    auto& items = types_[currentType_].Items;
    const int to = row + Delta;
    if (row < 0 || row >= items.size() || to < 0 || to >= items.size()) return;
    items.swapItemsAt(row, to);
    filling_ = true;
    TypeItems->setCurrentRow(to);
    filling_ = false;
    SaveCurrentType();
    TypeItems->setCurrentRow(to);
}

// --- Status and closing ---

void TQV_SettingsForm::UpdateStatus()
{
    const int page = Pages->currentIndex();
    QString text = Pages->tabText(page);
    const QTabWidget* sub = page == 1 ? subPages_[0] : page == 2 ? subPages_[1] : nullptr;
    if (sub) text += QStringLiteral(" > ") + sub->tabText(sub->currentIndex());
    status_->setText(text);
}

void TQV_SettingsForm::ShowMessage(const QString& text, bool error)
{
    message_->setText(text);
    message_->setStyleSheet(error ? QStringLiteral("color: #b00020") : QString());
}

QString TQV_SettingsForm::Status() const { return status_->text(); }
QString TQV_SettingsForm::Message() const { return message_->text(); }

void TQV_SettingsForm::done(int result)
{
    RememberDialogSize(this, objectName());
    QDialog::done(result);
}

void TQV_SettingsForm::closeEvent(QCloseEvent* event)
{
    RememberDialogSize(this, objectName());
    QDialog::closeEvent(event);
}
