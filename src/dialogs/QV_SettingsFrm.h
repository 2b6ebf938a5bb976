#pragma once
// The settings dialog: an ordinary window without OK or Cancel. Every change
// is written to the settings file at once and takes effect at once; the theme
// families, the language and the file types file are chosen and edited here too.
//
// Threads: the interface thread only.

#include "dialogs/QV_SettingsData.h"

#include <QDialog>

#include <functional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QWidget;

class TQV_SettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TQV_SettingsForm(QWidget* parent = nullptr);
    ~TQV_SettingsForm() override;

    // Every control from the settings in force, the lists from the files.
    void LoadSettings();
    // Every caption from the language file.
    void LoadLang();

    // The control that writes Group/Param (a check box or a number field).
    QWidget* SettingControl(const QString& Group, const QString& Param) const;
    // The navigation sound: a file libcanberra plays (.oga, .ogg, .wav);
    // false, with the reason shown, for any other.
    bool ChooseSound(const QString& Path);
    // A language of the list; false when it is not listed.
    bool ChooseLanguage(const QString& Name);
    // The theme of the family's list (0 controls, 1 button icons, 2 file icons).
    bool SelectTheme(int Family, const QString& Folder);
    // Writes the selected theme of the family; false without a selection.
    bool ApplyTheme(int Family);

    // Called after every change of the file types file, so its readers follow.
    std::function<void()> OnTypesChanged;

    // The page path shown at the top, and the last message.
    QString Status() const;
    QString Message() const;

    QTabWidget* Pages = nullptr;
    QComboBox* Language = nullptr;
    QLabel* SoundLabel = nullptr;
    QListWidget* ThemeLists[3] = {};
    QLabel* ThemePreview[3] = {};
    QPlainTextEdit* ThemeMemo[3] = {};

    // The file types page.
    QTreeWidget* Types = nullptr;
    QLineEdit* TypeExtension = nullptr;
    QComboBox* TypeParent = nullptr;
    QLineEdit* TypeDescription = nullptr;
    QListWidget* TypeItems = nullptr;
    QLineEdit* ItemID = nullptr;
    QComboBox* ItemCMD = nullptr;
    QLineEdit* ItemParam1 = nullptr;
    QLineEdit* ItemParam2 = nullptr;
    QLineEdit* ItemCaption = nullptr;
    QLineEdit* ItemImage = nullptr;
    // The actions of the file types page, as its buttons run them.
    void SelectType(const QString& Extension);
    void SelectTypeItem(int Row);
    void AddChangeType();
    void RemoveType();
    void AddChangeItem();
    void RemoveItem();
    void MoveItem(int Delta);
    // The type being edited, as shown.
    const TTypeSection* CurrentType() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    struct TRow;
    QWidget* BuildGeneral();
    QWidget* BuildControls();
    QWidget* BuildThemes();
    QWidget* BuildTypes();
    QWidget* RowsBox(const char* titleKey, const char* titleDefault, const std::vector<int>& rows);
    void WriteRow(int index);
    void UpdateEnabled();
    void UpdateStatus();
    void ShowMessage(const QString& text, bool error);
    void FillThemes(int family);
    void LoadExtensions();
    void SaveCurrentType();
    void Caption(QWidget* widget, const char* section, const char* key, const char* def);
    void Caption(std::function<void(const QString&)> set, const char* section, const char* key, const char* def);

    std::vector<QWidget*> controls_;  // one per row of the settings table
    std::vector<std::function<void()>> captions_;
    QLabel* status_ = nullptr;
    QLabel* message_ = nullptr;
    QTabWidget* subPages_[2] = {};    // the controls' and the themes' sub-pages
    std::vector<TTypeSection> types_;
    int currentType_ = -1;
    bool filling_ = false;
};
