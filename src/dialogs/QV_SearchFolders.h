#pragma once
// The dialog that edits where one search tab looks: a numbered list of its
// start folders, Add (the desktop's folder chooser), Remove, Remove All, and
// an entry for every local drive. Nothing changes until OK, which writes the
// list into the search and lets the search bars show it; Cancel, Escape or
// closing the window leave the search as it was.
//
// The dialog keeps the identifier of the search's tab, not the search itself:
// a tab closed while the dialog is open is simply not changed.
//
// Threads: the interface thread only.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QPushButton;
class QTreeWidget;
class TSearchHolder;

class TQV_SearchFoldersFrm : public QDialog {
    Q_OBJECT
public:
    explicit TQV_SearchFoldersFrm(QWidget* parent = nullptr);

    QTreeWidget* PathList = nullptr;  // "#" and "Search Path"
    QPushButton* BTN_ADD = nullptr;
    QPushButton* BTN_DRIVES = nullptr;
    QPushButton* BTN_REMOVE = nullptr;
    QPushButton* BTN_REMOVE_ALL = nullptr;
    QPushButton* BTN_OK = nullptr;

    // Asks for a folder to add; empty when the user chose none. The desktop's
    // folder chooser unless a test puts its own.
    std::function<QString(QWidget* Parent, const QString& Title)> ChooseFolder;

    // Shows the folders of the search of the tab HolderID; the list is empty
    // when there is no such search.
    void AddPath(const QString& HolderID);
    // The rows, in order; "QDrive:\" stands for every local drive.
    QStringList Paths() const;
    // Appends a folder unless it is listed already (that row is selected).
    void AppendPath(const QString& Path);
    void AddFolder();
    void AddDrives();
    void RemoveSelected();
    void RemoveAll();
    // Writes the rows into the search; false when its tab has gone.
    bool Save();

    // Every text from the language file.
    void Localize();

protected:
    void accept() override;
    void done(int result) override;

private:
    void Renumber();
    void UpdateButtons();
    TSearchHolder* Target() const;

    QString holderId_;
};
