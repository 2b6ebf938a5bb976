#include "dialogs/QV_FolderCustomize.h"

#include "data/QV_DataCore.h"
#include "data/QV_DataHolder.h"
#include "data/QV_FileHolder.h"
#include "dialogs/QV_DialogSupport.h"
#include "foundation/QV_System.h"
#include "platform/image/QV_Picture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct TSampleText {
    const char* Key;
    const char* Default;
};
const TSampleText SampleTexts[4] = {
    {"Normal", "Normal"}, {"Hot", "Hot"}, {"Selected", "Selected"}, {"HotSelected", "Hot Sel"}};

struct TPositionText {
    TAlignStyle Align;
    const char* Key;
    const char* Default;
};
// The four corners, and stretching, which the themes understand as well.
const TPositionText Positions[] = {
    {asTopLeft, "TopLeft", "Top Left"},         {asTopRight, "TopRight", "Top Right"},
    {asBottLeft, "BottomLeft", "Bottom Left"},  {asBottRight, "BottomRight", "Bottom Right"},
    {asStretch, "Stretch", "Stretch"},
};

// Offered besides the colour dialog; 0x00BBGGRR like the theme files.
const TColor StandardColors[] = {0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x000080, 0x0000FF, 0x008000,
                                 0x00FF00, 0x800000, 0xFF0000, 0x008080, 0x00FFFF, 0x800080, 0xFF00FF};

QColor ToQColor(TColor c) { return QColor::fromRgba(ToColor32(c)); }

QIcon Swatch(TColor c)
{
    QPixmap p(16, 16);
    p.fill(ToQColor(c));
    return QIcon(p);
}

TFolderThemeSource SourceOf(TDataHolder* holder)
{
    if (auto* files = dynamic_cast<TFileHolder*>(holder)) {
        const TPathData* current = files->Path_Curr();
        // The trash place wears the quick-drive look, as it has no folder of its own.
        if (!current || current->PD_PATH == QDrivePath || current->PD_PATH == TrashPath)
            return FolderThemeSource(TThemePlace::tpQuickDrive);
        return FolderThemeSource(TThemePlace::tpFolder, current->PD_PATH);
    }
    return FolderThemeSource(TThemePlace::tpSearch);
}

// A tab may close while the dialog is open.
bool StillOpen(const TDataHolder* holder)
{
    const TDataCore* core = DataCore();
    if (!core) return holder != nullptr;
    for (const auto& h : core->DC_LIST)
        if (h.get() == holder) return true;
    return false;
}

} // namespace

TQV_FolderCustomizeFrm::TQV_FolderCustomizeFrm(QWidget* parent)
    : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("FolderCustomize"));
    setWindowOpacity(230 / 255.0);
    setSizeGripEnabled(true);

    preview_ = new QLabel(this);
    preview_->setMinimumSize(200, 130);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    preview_->installEventFilter(this);

    samples_ = new QButtonGroup(this);
    samples_->setExclusive(false);
    auto* sampleRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(this);
        b->setCheckable(true);
        b->setFlat(true);
        samples_->addButton(b, i);
        sampleButtons_[i] = b;
        sampleRow->addWidget(b);
    }
    connect(samples_, &QButtonGroup::idClicked, this, [this](int id) { SelectFont(selectedFont_ == id ? -1 : id); });

    imageGroup_ = new QGroupBox(this);
    Position = new QComboBox(imageGroup_);
    auto* imageLayout = new QVBoxLayout(imageGroup_);
    imageLayout->addWidget(Position);
    connect(Position, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && !filling_) align_ = Positions[index].Align;
    });

    fontGroup_ = new QGroupBox(this);
    FontName = new QFontComboBox(fontGroup_);
    FontSize = new QComboBox(fontGroup_);
    FontSize->setEditable(true);
    for (int size = 4; size <= 30; ++size) FontSize->addItem(QString::number(size));
    FontColor = new QComboBox(fontGroup_);
    FontBold = new QCheckBox(fontGroup_);
    FontItalic = new QCheckBox(fontGroup_);
    auto* fontLayout = new QGridLayout(fontGroup_);
    fontLayout->addWidget(FontName, 0, 0, 1, 2);
    fontLayout->addWidget(FontSize, 1, 0);
    fontLayout->addWidget(FontColor, 1, 1);
    fontLayout->addWidget(FontBold, 2, 0);
    fontLayout->addWidget(FontItalic, 2, 1);
    connect(FontName, &QFontComboBox::currentFontChanged, this, [this] { FontEdited(); });
    FontSize->setInsertPolicy(QComboBox::NoInsert);
    // A chosen or typed size counts at once; nothing is written before Apply.
    connect(FontSize, &QComboBox::currentTextChanged, this, [this] { FontEdited(); });
    connect(FontColor, &QComboBox::activated, this, [this](int index) {
        if (index == 0) ChooseColor();
        else FontEdited();
    });
    connect(FontBold, &QCheckBox::toggled, this, [this] { FontEdited(); });
    connect(FontItalic, &QCheckBox::toggled, this, [this] { FontEdited(); });

    OpenButton = new QPushButton(this);
    ClearButton = new QPushButton(this);
    ApplyButton = new QPushButton(this);
    OkButton = new QPushButton(this);
    OkButton->setDefault(true);
    connect(OpenButton, &QPushButton::clicked, this, [this] {
        auto* chooser = new QFileDialog(this, OpenButton->text());
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->setFileMode(QFileDialog::ExistingFile);
        chooser->setNameFilters({tr("Pictures (*.jpg *.jpeg *.bmp *.png *.JPG *.JPEG *.BMP *.PNG)"), tr("All files (*)")});
        connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& file) { ChoosePicture(file); });
        chooser->open();
    });
    connect(ClearButton, &QPushButton::clicked, this, [this] { Clear(); });
    connect(ApplyButton, &QPushButton::clicked, this, [this] { Apply(); });
    connect(OkButton, &QPushButton::clicked, this, [this] {
        if (Apply()) accept();
    });

    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OpenButton);
    buttons->addWidget(ClearButton);
    buttons->addStretch();
    buttons->addWidget(ApplyButton);
    buttons->addWidget(OkButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(sampleRow);
    layout->addWidget(imageGroup_);
    layout->addWidget(fontGroup_);
    layout->addWidget(message_);
    layout->addLayout(buttons);

    setTabOrder(Position, FontName);
    setTabOrder(FontName, FontSize);
    setTabOrder(FontSize, FontColor);
    setTabOrder(FontColor, FontBold);
    setTabOrder(FontBold, FontItalic);
    setTabOrder(FontItalic, OpenButton);
    setTabOrder(OpenButton, ClearButton);
    setTabOrder(ClearButton, ApplyButton);
    setTabOrder(ApplyButton, OkButton);

    LoadLang();
    ShowFontControls();
    RestoreDialogSize(this, objectName());
}

TQV_FolderCustomizeFrm::~TQV_FolderCustomizeFrm() = default;

void TQV_FolderCustomizeFrm::LoadLang()
{
    setWindowTitle(DlgText("FolderCustomize", "Caption", "Folder Customize"));
    for (int i = 0; i < 4; ++i)
        sampleButtons_[i]->setText(DlgText("FolderCustomize", SampleTexts[i].Key, SampleTexts[i].Default));
    imageGroup_->setTitle(DlgText("FolderCustomize", "ImagePos", "Image Position"));
    filling_ = true;
    const int position = Position->currentIndex();
    Position->clear();
    for (const TPositionText& p : Positions) Position->addItem(DlgText("FolderCustomize", p.Key, p.Default));
    Position->setCurrentIndex(qMax(0, position));
    FontColor->clear();
    FontColor->addItem(DlgText("FolderCustomize", "SelectColor", "Select Color..."));
    for (TColor c : StandardColors)
        FontColor->addItem(Swatch(c), ToQColor(c).name(), QVariant::fromValue(uint(c)));
    filling_ = false;
    FontBold->setText(DlgText("FolderCustomize", "Bold", "Bold"));
    FontItalic->setText(DlgText("FolderCustomize", "Italic", "Italic"));
    OpenButton->setText(DlgText("General", "Open", "Open"));
    ClearButton->setText(DlgText("General", "Clear", "Clear"));
    ApplyButton->setText(DlgText("General", "Apply", "Apply"));
    OkButton->setText(DlgText("General", "Ok", "OK"));
    SelectFont(selectedFont_);
}

void TQV_FolderCustomizeFrm::showEvent(QShowEvent* event)
{
    LoadLang();
    QDialog::showEvent(event);
}

void TQV_FolderCustomizeFrm::LoadTheme(TDataHolder* DataHolder)
{
    Reset();
    themeHolder_ = DataHolder;
    if (!DataHolder) return;
    source_ = SourceOf(DataHolder);
    const TFolderTheme& theme = *DataHolder->DH_FOLDER_THEME;
    align_ = theme.FT_BACK_ALIGN;
    fonts_ = {theme.FT_FONT_NORMAL, theme.FT_FONT_HOT, theme.FT_FONT_SEL, theme.FT_FONT_HOTSEL};
    for (int i = 0; i < 4; ++i) {
        sampleButtons_[i]->setFont(fonts_[i].ToQFont());
        sampleButtons_[i]->setStyleSheet(QStringLiteral("color: %1").arg(ToQColor(fonts_[i].Color).name()));
    }
    filling_ = true;
    for (int i = 0; i < int(std::size(Positions)); ++i)
        if (Positions[i].Align == align_) Position->setCurrentIndex(i);
    filling_ = false;
    ShowPreview(theme.FT_BACK_SOURCE);
}

bool TQV_FolderCustomizeFrm::ChoosePicture(const QString& Path)
{
    const TImageResult picture = LoadPicture(Path, TFolderPictureLimits);
    if (!picture.Ok()) {
        ShowMessage(picture.Error, true);
        return false;
    }
    copyFrom_ = Path;
    ShowPreview(picture.Bitmap);
    ShowMessage(QString(), false);
    return true;
}

void TQV_FolderCustomizeFrm::SelectFont(int Index)
{
    selectedFont_ = Index;
    for (int i = 0; i < 4; ++i) sampleButtons_[i]->setChecked(i == Index);
    fontGroup_->setTitle(Index < 0 ? DlgText("FolderCustomize", "Font", "Font")
                                   : DlgText("FolderCustomize", "Font", "Font") + QStringLiteral(": ") +
                                         sampleButtons_[Index]->text());
    ShowFontControls();
}

void TQV_FolderCustomizeFrm::ShowFontControls()
{
    filling_ = true;
    // Without a font being edited the controls show a fresh font's values.
    const TFont font = selectedFont_ < 0 ? TFont() : fonts_[selectedFont_];
    FontName->setCurrentFont(QFont(font.Name));
    FontSize->setCurrentText(QString::number(font.Size));
    FontColor->setCurrentIndex(0);
    for (int i = 1; i < FontColor->count(); ++i)
        if (selectedFont_ >= 0 && FontColor->itemData(i).toUInt() == font.Color) FontColor->setCurrentIndex(i);
    FontBold->setChecked(font.Bold);
    FontItalic->setChecked(font.Italic);
    filling_ = false;
    fontGroup_->setEnabled(selectedFont_ >= 0);
}

void TQV_FolderCustomizeFrm::FontEdited()
{
    if (filling_ || selectedFont_ < 0) return;
    TFont& font = fonts_[selectedFont_];
    font.Name = FontName->currentFont().family();
    bool ok = false;
    const int size = FontSize->currentText().trimmed().toInt(&ok);
    if (ok && size >= 1 && size <= 400) font.Size = size;
    if (FontColor->currentIndex() > 0) font.Color = FontColor->currentData().toUInt();
    font.Bold = FontBold->isChecked();
    font.Italic = FontItalic->isChecked();
    QAbstractButton* sample = sampleButtons_[selectedFont_];
    sample->setFont(font.ToQFont());
    sample->setStyleSheet(QStringLiteral("color: %1").arg(ToQColor(font.Color).name()));
}

void TQV_FolderCustomizeFrm::ChooseColor()
{
    if (selectedFont_ < 0) return;
    auto* chooser = new QColorDialog(ToQColor(fonts_[selectedFont_].Color), this);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        if (selectedFont_ < 0) return;
        const TColor c = ToColor(color.rgba());
        filling_ = true;
        int at = FontColor->findData(QVariant::fromValue(uint(c)));
        if (at < 0) {
            FontColor->addItem(Swatch(c), color.name(), QVariant::fromValue(uint(c)));
            at = FontColor->count() - 1;
        }
        FontColor->setCurrentIndex(at);
        filling_ = false;
        FontEdited();
    });
    chooser->open();
}

bool TQV_FolderCustomizeFrm::Apply()
{
    if (!StillOpen(themeHolder_)) return false;
    TFolderTheme theme;
    theme.FT_FONT_NORMAL = fonts_[0];
    theme.FT_FONT_HOT = fonts_[1];
    theme.FT_FONT_SEL = fonts_[2];
    theme.FT_FONT_HOTSEL = fonts_[3];
    theme.FT_BACK_ALIGN = align_;
    const TFsStatus written = ApplyFolderTheme(source_, theme, copyFrom_);
    ReloadActiveTheme();
    // The folder may have gained its own theme file.
    source_ = SourceOf(themeHolder_);
    if (!written) {
        ShowMessage(DlgText("Messages", "CannotCustomize", "The customization could not be saved: ") +
                        written.Error().Message(),
                    true);
        return false;
    }
    ShowMessage(QString(), false);
    return true;
}

void TQV_FolderCustomizeFrm::Clear()
{
    if (!StillOpen(themeHolder_)) return;
    ClearFolderTheme(source_);
    copyFrom_.clear();
    preview_->clear();
    ReloadActiveTheme();
    LoadTheme(themeHolder_);
}

void TQV_FolderCustomizeFrm::ShowPreview(const TBitmap32& picture)
{
    if (picture.Width() <= 0 || picture.Height() <= 0) {
        preview_->clear();
        return;
    }
    preview_->setPixmap(QPixmap::fromImage(picture.Image()).scaled(preview_->size(), Qt::KeepAspectRatio,
                                                                   Qt::SmoothTransformation));
}

void TQV_FolderCustomizeFrm::ShowMessage(const QString& text, bool error)
{
    message_->setText(text);
    message_->setStyleSheet(error ? QStringLiteral("color: #b00020") : QString());
}

QString TQV_FolderCustomizeFrm::Message() const { return message_->text(); }

bool TQV_FolderCustomizeFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == preview_ && event->type() == QEvent::MouseButtonRelease) SelectFont(-1);
    return QDialog::eventFilter(watched, event);
}

void TQV_FolderCustomizeFrm::Reset()
{
    preview_->clear();
    themeHolder_ = nullptr;
    source_ = TFolderThemeSource();
    copyFrom_.clear();
    align_ = asTopLeft;
    ShowMessage(QString(), false);
    SelectFont(-1);
}

void TQV_FolderCustomizeFrm::done(int result)
{
    RememberDialogSize(this, objectName());
    Reset();
    QDialog::done(result);
}

void TQV_FolderCustomizeFrm::closeEvent(QCloseEvent* event)
{
    RememberDialogSize(this, objectName());
    Reset();
    QDialog::closeEvent(event);
}
