#pragma once
// The control items editor: the items of one bar (or of the tab strip), each a
// command with its arguments, caption, alignment and picture, added, removed,
// reordered and saved; the bar shows the saved list at once.
//
// Threads: the interface thread only.

#include "dialogs/QV_ControlItems.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TQV_ControlSettingsFrm : public QDialog {
    Q_OBJECT
public:
    explicit TQV_ControlSettingsFrm(QWidget* parent = nullptr);
    ~TQV_ControlSettingsFrm() override;

    // The items of "<CtrlID>.Items", none selected.
    void LoadControlItems(const QString& CtrlID);
    // The actions of the buttons.
    void SelectRow(int Row);
    void NewItem();
    // Writes the fields into the selected row and saves the whole list; false
    // when nothing is selected or the file could not be written.
    bool SaveItems();
    void RemoveItem();
    void MoveItem(int Delta);
    // A command chosen in the list: proposes a free key.
    void CommandChosen(const QString& Command);

    const TControlItems& Items() const { return items_; }
    QString Message() const;

    QListWidget* List = nullptr;
    QLineEdit* ID = nullptr;
    QComboBox* CMD = nullptr;
    QLineEdit* Param1 = nullptr;
    QLineEdit* Param2 = nullptr;
    QLineEdit* Caption = nullptr;
    QComboBox* Align = nullptr;
    QLineEdit* Image = nullptr;
    QLabel* ImagePreview = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void LoadLang();
    void FillList();
    void ShowImage();

    TControlItems items_;
    int buttonIDX_ = -1;
    QLabel* status_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* labels_[7] = {};
    QPushButton* buttons_[5] = {};
    bool filling_ = false;
};
