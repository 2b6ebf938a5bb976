#pragma once
// The folder customization dialog: a small tool window that gives the place
// shown in the active tab (a folder, the quick-drive view or search results)
// its own background picture, picture position and four item fonts. Nothing is
// written before Apply or OK; the writing itself is ApplyFolderTheme's.
//
// Threads: the interface thread only.

#include "data/QV_FolderTheme.h"

#include <QDialog>

#include <array>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TDataHolder;

class TQV_FolderCustomizeFrm : public QDialog {
    Q_OBJECT
public:
    explicit TQV_FolderCustomizeFrm(QWidget* parent = nullptr);
    ~TQV_FolderCustomizeFrm() override;

    // Takes the holder's loaded theme: its picture, position and fonts.
    void LoadTheme(TDataHolder* DataHolder);
    // A picture file to use at the next Apply; false (with the reason shown)
    // when it cannot be read as a picture.
    bool ChoosePicture(const QString& Path);
    // 0..3 the four sample fonts (normal, hot, selected, hot and selected), -1 none.
    void SelectFont(int Index);
    // Writes the customization and shows it; false with the reason shown when
    // something could not be written.
    bool Apply();
    // Drops the picture (the fonts stay) and loads the place again.
    void Clear();

    // What the dialog would write, and the message it shows.
    TFont SampleFont(int Index) const { return fonts_[Index]; }
    TAlignStyle ImageAlign() const { return align_; }
    QString CopyFrom() const { return copyFrom_; }
    QString Message() const;

    // The controls, for keyboard use and tests.
    QFontComboBox* FontName = nullptr;
    QComboBox* FontSize = nullptr;
    QComboBox* FontColor = nullptr;
    QCheckBox* FontBold = nullptr;
    QCheckBox* FontItalic = nullptr;
    QComboBox* Position = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* ClearButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* OkButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadLang();
    void ShowFontControls();
    void FontEdited();
    void ShowPreview(const TBitmap32& picture);
    void ShowMessage(const QString& text, bool error);
    void ChooseColor();
    void Reset();

    TDataHolder* themeHolder_ = nullptr;
    TFolderThemeSource source_;
    std::array<TFont, 4> fonts_;
    int selectedFont_ = -1;
    TAlignStyle align_ = asTopLeft;
    QString copyFrom_;
    bool filling_ = false;

    QLabel* preview_ = nullptr;
    QLabel* message_ = nullptr;
    QGroupBox* imageGroup_ = nullptr;
    QGroupBox* fontGroup_ = nullptr;
    QButtonGroup* samples_ = nullptr;
    std::array<QAbstractButton*, 4> sampleButtons_{};
};
