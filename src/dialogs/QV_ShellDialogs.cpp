#include "dialogs/QV_ShellDialogs.h"

#include "dialogs/QV_PropertiesDialog.h"
#include "foundation/QV_PaintUtils.h"
#include "platform/desktop/QV_Apps.h"
#include "platform/fs/QV_FileNames.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("ShellDialogs", text); }

QString When(qint64 ms) { return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms), QLocale::ShortFormat); }

QString Describe(bool folder, qint64 size, qint64 ms)
{
    return folder ? Tr("folder, modified %1").arg(When(ms)) : Tr("%1, modified %2").arg(SizeText(size), When(ms));
}

void FillMenu(QMenu& menu, const std::vector<TShellMenuEntry>& entries, std::map<QAction*, const TShellMenuEntry*>& map)
{
    for (const TShellMenuEntry& entry : entries) {
        if (!entry.Sub.empty()) {
            QMenu* sub = menu.addMenu(entry.Text);
            FillMenu(*sub, entry.Sub, map);
            continue;
        }
        if (entry.Command == TShellCommand::scNone) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(entry.Text);
        action->setEnabled(entry.Enabled);
        if (entry.Default) menu.setDefaultAction(action);
        map[action] = &entry;
    }
}

}  // namespace

TDesktopShellUi::TDesktopShellUi(QWidget* Owner) : owner_(Owner) {}

TDesktopShellUi::~TDesktopShellUi()
{
    for (auto& [job, dialog] : progress_)
        if (dialog) delete dialog.data();
}

TConflictAnswer TDesktopShellUi::AskConflict(const TConflictInfo& Conflict)
{
    QMessageBox box(QMessageBox::Question, Tr("Name Conflict"),
                    Tr("\"%1\" already exists in this folder.")
                        .arg(DisplayFileName(Conflict.Target.section(QLatin1Char('/'), -1))),
                    QMessageBox::NoButton, owner_);
    if (Conflict.CanReplace)
        box.setInformativeText(Tr("Existing: %1\nNew: %2")
                                   .arg(Describe(Conflict.TargetFolder, Conflict.TargetSize, Conflict.TargetModifiedMs),
                                        Describe(Conflict.SourceFolder, Conflict.SourceSize, Conflict.SourceModifiedMs)));
    else
        box.setInformativeText(Tr("It is not replaced. Keep both restores it under a new name, as \"name (1)\"."));
    const bool merge = Conflict.SourceFolder && Conflict.TargetFolder;
    QPushButton* replace = nullptr;
    if (Conflict.CanReplace)
        replace = box.addButton(merge ? Tr("&Merge") : Tr("&Replace"), QMessageBox::DestructiveRole);
    QPushButton* skip = box.addButton(Tr("&Skip"), QMessageBox::RejectRole);
    QPushButton* both = box.addButton(Tr("&Keep both"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(Tr("&Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(both);
    box.setEscapeButton(cancel);
    auto* all = new QCheckBox(Tr("Apply to &all"));
    box.setCheckBox(all);
    box.exec();
    TConflictAnswer answer;
    answer.ApplyToAll = all->isChecked();
    if (replace && box.clickedButton() == replace) answer.Choice = TConflictChoice::ccReplace;
    else if (box.clickedButton() == skip) answer.Choice = TConflictChoice::ccSkip;
    else if (box.clickedButton() == both) answer.Choice = TConflictChoice::ccKeepBoth;
    else answer.Choice = TConflictChoice::ccCancel;
    return answer;
}

bool TDesktopShellUi::Confirm(const QString& Text, const QString& Action)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), Text, QMessageBox::NoButton, owner_);
    QPushButton* go = box.addButton(Action, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(Tr("&Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(go);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == go;
}

void TDesktopShellUi::ShowMessage(const QString& Text)
{
    QMessageBox::warning(owner_, QCoreApplication::applicationName(), Text);
}

void TDesktopShellUi::JobStarted(TFileJob& Job)
{
    auto* dialog = new QDialog(owner_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    switch (Job.Kind()) {
    case TFileOpKind::foCopy: dialog->setWindowTitle(Tr("Copying")); break;
    case TFileOpKind::foMove: dialog->setWindowTitle(Tr("Moving")); break;
    case TFileOpKind::foTrash: dialog->setWindowTitle(Tr("Moving to the Trash")); break;
    default: dialog->setWindowTitle(Tr("Deleting")); break;
    }
    auto* layout = new QVBoxLayout(dialog);
    auto* current = new QLabel(dialog);
    current->setTextFormat(Qt::PlainText);
    auto* bar = new QProgressBar(dialog);
    bar->setRange(0, 1000);
    auto* summary = new QLabel(dialog);
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* pause = buttons->addButton(Tr("&Pause"), QDialogButtonBox::ActionRole);
    QPushButton* cancel = buttons->addButton(Tr("&Cancel"), QDialogButtonBox::RejectRole);
    layout->addWidget(current);
    layout->addWidget(bar);
    layout->addWidget(summary);
    layout->addWidget(buttons);
    TFileJob* job = &Job;
    QObject::connect(pause, &QPushButton::clicked, dialog, [job, pause] {
        job->SetPaused(!job->Paused());
        pause->setText(job->Paused() ? Tr("&Resume") : Tr("&Pause"));
    });
    // Escape and closing the window cancel too.
    QObject::connect(dialog, &QDialog::rejected, dialog, [job] { job->Cancel(); });
    QObject::connect(cancel, &QPushButton::clicked, dialog, [job] { job->Cancel(); });
    auto* timer = new QTimer(dialog);
    QObject::connect(timer, &QTimer::timeout, dialog, [job, current, bar, summary, dialog] {
        const TFileOpProgress p = job->Progress();
        current->setText(DisplayFileName(p.Current));
        const qint64 total = std::max<qint64>(1, p.BytesTotal > 0 ? p.BytesTotal : p.FilesTotal);
        const qint64 done = p.BytesTotal > 0 ? p.BytesDone : p.FilesDone;
        bar->setValue(int(std::min<qint64>(1000, done * 1000 / total)));
        summary->setText(ProgressSummary(p, job->ElapsedMs()));
        // Short jobs finish before anyone could read a window.
        if (!dialog->isVisible() && job->ElapsedMs() > 500) dialog->show();
    });
    timer->start(200);
    progress_[job] = dialog;
}

void TDesktopShellUi::JobEnded(TFileJob& Job)
{
    const auto found = progress_.find(&Job);
    if (found == progress_.end()) return;
    if (QDialog* dialog = found->second) {
        QObject::disconnect(dialog, &QDialog::rejected, nullptr, nullptr);
        dialog->close();
    }
    progress_.erase(found);
}

TShellMenuEntry TDesktopShellUi::ChooseFromMenu(const std::vector<TShellMenuEntry>& Menu, QPoint ViewPoint)
{
    QMenu menu(owner_);
    std::map<QAction*, const TShellMenuEntry*> map;
    FillMenu(menu, Menu, map);
    QAction* chosen = menu.exec(owner_ ? owner_->mapToGlobal(ViewPoint) : ViewPoint);
    const auto found = map.find(chosen);
    return found == map.end() ? TShellMenuEntry{} : *found->second;
}

void TDesktopShellUi::ShowProperties(const QStringList& Paths)
{
    auto* dialog = new TPropertiesDialog(Paths, owner_);
    dialog->show();
}

void TDesktopShellUi::ShowOpenWith(const QString& Path)
{
    const QString type = ContentTypeOf(Path);
    QDialog dialog(owner_);
    dialog.setWindowTitle(Tr("Open With"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(Tr("Open \"%1\" (%2) with:")
                                 .arg(DisplayFileName(Path.section(QLatin1Char('/'), -1)), ContentTypeDescription(type)));
    label->setTextFormat(Qt::PlainText);
    auto* list = new QListWidget(&dialog);
    const std::vector<TAppEntry> apps = AppsForType(type);
    for (const TAppEntry& app : apps) {
        auto* item = new QListWidgetItem(QIcon::fromTheme(app.Icon), app.Recommended ? app.Name : app.Name + Tr(" (other)"), list);
        item->setData(Qt::UserRole, app.Id);
    }
    if (list->count() > 0) list->setCurrentRow(0);
    auto* commandLabel = new QLabel(Tr("Custom co&mmand:"));
    auto* command = new QLineEdit(&dialog);
    commandLabel->setBuddy(command);
    auto* asDefault = new QCheckBox(Tr("&Use as default for this type"));
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* open = buttons->addButton(Tr("&Open"), QDialogButtonBox::AcceptRole);
    buttons->addButton(Tr("&Cancel"), QDialogButtonBox::RejectRole);
    open->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(commandLabel);
    layout->addWidget(command);
    layout->addWidget(asDefault);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!command->text().trimmed().isEmpty()) {
        LaunchCommandWith(command->text().trimmed(), {Path});
        return;
    }
    if (!list->currentItem()) return;
    const QString id = list->currentItem()->data(Qt::UserRole).toString();
    if (asDefault->isChecked()) SetDefaultApp(id, type);
    LaunchAppWith(id, {Path});
}
