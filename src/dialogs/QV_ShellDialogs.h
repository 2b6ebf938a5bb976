#pragma once
// The desktop's side of the file operations: the conflict question, the
// confirmations, the progress windows, the context menu, the properties and
// the open-with dialogs, all Qt Widgets with the desktop's look. Every button
// has a mnemonic, Enter takes the default button and Escape cancels.

#include "shell/QV_Shell.h"

#include <QPointer>

#include <map>

class QWidget;
class QDialog;

class TDesktopShellUi : public TShellUi {
public:
    // Owner: the view, over which dialogs centre and menus pop up.
    explicit TDesktopShellUi(QWidget* Owner);
    ~TDesktopShellUi() override;

    TConflictAnswer AskConflict(const TConflictInfo& Conflict) override;
    bool Confirm(const QString& Text, const QString& Action) override;
    void ShowMessage(const QString& Text) override;
    void JobStarted(TFileJob& Job) override;
    void JobEnded(TFileJob& Job) override;
    TShellMenuEntry ChooseFromMenu(const std::vector<TShellMenuEntry>& Menu, QPoint ViewPoint) override;
    void ShowProperties(const QStringList& Paths) override;
    void ShowOpenWith(const QString& Path) override;

private:
    QWidget* owner_;
    std::map<TFileJob*, QPointer<QDialog>> progress_;
};
