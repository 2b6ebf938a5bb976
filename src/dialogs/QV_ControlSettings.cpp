#include "dialogs/QV_ControlSettings.h"

#include "data/QV_HolderHost.h"
#include "dialogs/QV_DialogSupport.h"
#include "foundation/QV_System.h"
#include "foundation/QV_Utils.h"
#include "locale/QV_LocaleManager.h"
#include "platform/fs/QV_FileSystem.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The alignment choices: caption key of "ControlProperties" and the word written.
struct TAlignChoice {
    const char* Key;
    const char* Word;
};
const TAlignChoice AlignChoices[] = {{"Left", "Left"}, {"Right", "Right"}, {"Top", "Top"}, {"Bottom", "Bot"}};

const char* const FieldKeys[7][2] = {{"ID", "ID"},           {"CMD", "CMD"},         {"Param1", "Param1"},
                                     {"Param2", "Param2"},   {"Caption", "Caption"}, {"Align", "Align"},
                                     {"Image", "Image"}};

QString Param(const QString& params, const char* name, const QString& def = QString())
{
    return ExtractValue(params, QString::fromLatin1(name), def);
}

} // namespace

TQV_ControlSettingsFrm::TQV_ControlSettingsFrm(QWidget* parent)
    : QDialog(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ControlSettings"));
    setSizeGripEnabled(true);

    status_ = new QLabel(this);
    List = new QListWidget(this);
    connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_) SelectRow(row);
    });

    ID = new QLineEdit(this);
    CMD = new QComboBox(this);
    CMD->setEditable(true);
    CMD->setInsertPolicy(QComboBox::NoInsert);
    connect(CMD, &QComboBox::activated, this, [this] { CommandChosen(CMD->currentText()); });
    auto* program = new QPushButton(QStringLiteral(">"), this);
    program->setMaximumWidth(32);
    connect(program, &QPushButton::clicked, this, [this] {
        auto* chooser = new QFileDialog(this);
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->setFileMode(QFileDialog::ExistingFile);
        connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& file) {
            CMD->setCurrentText(file);
            ID->setText(items_.UniqueKey(QFileInfo(file).fileName(), buttonIDX_));
            ShowImage();
        });
        chooser->open();
    });
    Param1 = new QLineEdit(this);
    Param2 = new QLineEdit(this);
    Caption = new QLineEdit(this);
    Align = new QComboBox(this);
    Image = new QLineEdit(this);
    connect(Image, &QLineEdit::editingFinished, this, [this] { ShowImage(); });
    auto* chooseImage = new QPushButton(QStringLiteral("…"), this);
    chooseImage->setMaximumWidth(32);
    connect(chooseImage, &QPushButton::clicked, this, [this] {
        auto* chooser = new QFileDialog(this, QString(), ResolvePath(QStringLiteral("ButtonsTheme:\\")));
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->setFileMode(QFileDialog::ExistingFile);
        chooser->setNameFilter(tr("Pictures (*.png *.bmp *.jpg *.jpeg)"));
        connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& file) {
            Image->setText(file);
            ShowImage();
        });
        chooser->open();
    });
    ImagePreview = new QLabel(this);
    ImagePreview->setFixedSize(52, 52);
    ImagePreview->setAlignment(Qt::AlignCenter);
    ImagePreview->setFrameShape(QFrame::StyledPanel);

    auto* form = new QFormLayout;
    QWidget* fields[7] = {ID, CMD, Param1, Param2, Caption, Align, Image};
    for (int i = 0; i < 7; ++i) {
        labels_[i] = new QLabel(this);
        labels_[i]->setBuddy(fields[i]);
        if (fields[i] == CMD || fields[i] == Image) {
            auto* row = new QHBoxLayout;
            row->addWidget(fields[i], 1);
            row->addWidget(fields[i] == CMD ? program : chooseImage);
            form->addRow(labels_[i], row);
        } else {
            form->addRow(labels_[i], fields[i]);
        }
    }
    form->addRow(QString(), ImagePreview);

    const std::function<void()> actions[5] = {
        [this] { NewItem(); }, [this] { SaveItems(); }, [this] { RemoveItem(); },
        [this] { MoveItem(-1); }, [this] { MoveItem(1); }};
    auto* buttonRow = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        buttons_[i] = new QPushButton(this);
        connect(buttons_[i], &QPushButton::clicked, this, actions[i]);
        buttonRow->addWidget(buttons_[i]);
    }
    buttons_[1]->setDefault(true);
    message_ = new QLabel(this);
    message_->setWordWrap(true);

    auto* columns = new QHBoxLayout;
    columns->addWidget(List, 1);
    columns->addLayout(form, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addLayout(columns, 1);
    layout->addWidget(message_);
    layout->addLayout(buttonRow);

    CMD->addItems(CommandIdentifiers());
    LoadLang();
    resize(560, 380);
    RestoreDialogSize(this, objectName());
}

TQV_ControlSettingsFrm::~TQV_ControlSettingsFrm() = default;

void TQV_ControlSettingsFrm::LoadLang()
{
    for (int i = 0; i < 7; ++i) labels_[i]->setText(DlgText("ControlProperties", FieldKeys[i][0], FieldKeys[i][1]));
    const char* const buttonKeys[5][2] = {{"New", "New"}, {"Save", "Save"}, {"Remove", "Remove"}, {"Up", "Up"},
                                          {"Down", "Down"}};
    for (int i = 0; i < 5; ++i) buttons_[i]->setText(DlgText("General", buttonKeys[i][0], buttonKeys[i][1]));
    filling_ = true;
    const int align = Align->currentIndex();
    Align->clear();
    for (const TAlignChoice& choice : AlignChoices)
        Align->addItem(DlgText("ControlProperties", choice.Key, choice.Key), QString::fromLatin1(choice.Word));
    Align->setCurrentIndex(qMax(0, align));
    filling_ = false;
}

void TQV_ControlSettingsFrm::showEvent(QShowEvent* event)
{
    LoadLang();
    QDialog::showEvent(event);
}

void TQV_ControlSettingsFrm::LoadControlItems(const QString& CtrlID)
{
    setWindowTitle(DlgText("Settings", "Customize", "Customize") + QStringLiteral(": ") +
                   Localized(QStringLiteral("Controls"), CtrlID, CtrlID));
    items_.Load(CtrlID);
    status_->setText(CtrlID);
    message_->clear();
    FillList();
    SelectRow(-1);
}

void TQV_ControlSettingsFrm::FillList()
{
    filling_ = true;
    List->clear();
    for (const TControlItem& item : items_.Items) List->addItem(item.Key);
    List->setCurrentRow(buttonIDX_);
    filling_ = false;
}

void TQV_ControlSettingsFrm::SelectRow(int Row)
{
    buttonIDX_ = Row >= 0 && Row < int(items_.Items.size()) ? Row : -1;
    const QString params = buttonIDX_ >= 0 ? items_.Items[buttonIDX_].Params : QString();
    ID->setText(buttonIDX_ >= 0 ? items_.Items[buttonIDX_].Key : QString());
    CMD->setCurrentText(Param(params, "CMD"));
    Param1->setText(Param(params, "P1"));
    Param2->setText(Param(params, "P2"));
    Caption->setText(Param(params, "Caption"));
    const QString align = Param(params, "Align", QStringLiteral("Left"));
    Align->setCurrentIndex(0);
    for (int i = 0; i < Align->count(); ++i)
        // Older files say "Bottom" for what the controls read as "Bot".
        if (Align->itemData(i).toString() == align || (align == QLatin1String("Bottom") && i == 3))
            Align->setCurrentIndex(i);
    Image->setText(Param(params, "Image"));
    ShowImage();
    if (List->currentRow() != buttonIDX_) {
        filling_ = true;
        List->setCurrentRow(buttonIDX_);
        filling_ = false;
    }
}

void TQV_ControlSettingsFrm::ShowImage()
{
    // The item's own picture when it exists, else its command's theme icon.
    QString path = ResolvePath(Image->text().trimmed());
    if (Image->text().trimmed().isEmpty() || PathKindOf(path) != TPathKind::pkFile)
        path = ResolvePath(QStringLiteral("ButtonsTheme:\\") + CMD->currentText().trimmed() + QStringLiteral(".png"));
    ImagePreview->clear();
    if (!CMD->currentText().trimmed().isEmpty() && PathKindOf(path) == TPathKind::pkFile)
        ImagePreview->setPixmap(QPixmap(path).scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TQV_ControlSettingsFrm::CommandChosen(const QString& Command)
{
    CMD->setCurrentText(Command);
    ID->setText(items_.UniqueKey(Command, buttonIDX_));
    ShowImage();
}

void TQV_ControlSettingsFrm::NewItem()
{
    buttonIDX_ = items_.Add(DlgText("General", "NewItem", "New Item"));
    FillList();
    SelectRow(buttonIDX_);
    ID->setFocus();
    ID->selectAll();
}

bool TQV_ControlSettingsFrm::SaveItems()
{
    if (buttonIDX_ >= 0) {
        TControlItem& item = items_.Items[buttonIDX_];
        QString params = item.Params;
        params = SetItemParam(params, QStringLiteral("CMD"), CMD->currentText().trimmed());
        params = SetItemParam(params, QStringLiteral("P1"), Param1->text().trimmed());
        params = SetItemParam(params, QStringLiteral("P2"), Param2->text().trimmed());
        params = SetItemParam(params, QStringLiteral("Caption"), Caption->text().trimmed());
        params = SetItemParam(params, QStringLiteral("Align"), Align->currentData().toString());
        const QString image = Image->text().trimmed();
        params = SetItemParam(params, QStringLiteral("Image"), image.isEmpty() ? QString() : ToAliasPath(image));
        item.Params = params;
        item.Key = items_.UniqueKey(ID->text().trimmed().isEmpty() ? CMD->currentText() : ID->text(), buttonIDX_);
    }
    if (!items_.Save()) {
        message_->setText(DlgText("Messages", "CannotSaveSettings", "The settings file could not be written."));
        return false;
    }
    message_->clear();
    if (TItemsBarApi* bar = ItemsBar(items_.Control)) bar->LoadItems();
    FillList();
    SelectRow(buttonIDX_);
    return true;
}

void TQV_ControlSettingsFrm::RemoveItem()
{
    if (buttonIDX_ < 0) return;
    items_.Remove(buttonIDX_);
    buttonIDX_ = qMin(buttonIDX_, int(items_.Items.size()) - 1);
    FillList();
    SelectRow(buttonIDX_);
}

void TQV_ControlSettingsFrm::MoveItem(int Delta)
{
    if (!items_.Move(buttonIDX_, Delta)) return;
    buttonIDX_ += Delta;
    FillList();
}

QString TQV_ControlSettingsFrm::Message() const { return message_->text(); }

void TQV_ControlSettingsFrm::done(int result)
{
    RememberDialogSize(this, objectName());
    QDialog::done(result);
}
