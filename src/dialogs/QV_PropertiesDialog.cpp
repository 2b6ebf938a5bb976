#include "dialogs/QV_PropertiesDialog.h"

#include "foundation/QV_PaintUtils.h"
#include "foundation/QV_System.h"
#include "platform/QV_Report.h"
#include "platform/desktop/QV_Apps.h"
#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_Mounts.h"
#include "tasks/QV_SmartTask.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("PropertiesDialog", text); }

QLabel* Value(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

TPropertiesDialog::TPropertiesDialog(const QStringList& Paths, QWidget* Parent)
    : QDialog(Parent), paths_(Paths)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    const QString first = Paths.value(0);
    const QString name = DisplayFileName(first.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty));
    setWindowTitle(Paths.size() == 1 ? Tr("%1 Properties").arg(name) : Tr("Properties of %1 Items").arg(Paths.size()));

    if (Paths.size() == 1 && IsDriveRoot(first)) {
        TMountEntry mount;
        CurrentMountOf(first, mount);
        const TMountAbilities abilities = MountAbilities(first);
        TVolumeSpace space;
        const bool known = QueryVolumeSpace(first, space);
        form->addRow(Tr("Label:"), Value(abilities.Name.isEmpty() ? LabelOfDevice(mount.Source) : abilities.Name));
        form->addRow(Tr("Mounted at:"), Value(DisplayFileName(mount.MountPoint)));
        form->addRow(Tr("Device:"), Value(abilities.Device.isEmpty() ? mount.Source : abilities.Device));
        form->addRow(Tr("File system:"), Value(mount.FsType));
        form->addRow(Tr("Capacity:"), Value(known ? SizeText(space.Total) : Tr("unknown")));
        form->addRow(Tr("Free:"), Value(known ? SizeText(space.Free) : Tr("unknown")));
    } else {
        if (Paths.size() == 1) {
            form->addRow(Tr("Name:"), Value(name));
            form->addRow(Tr("Type:"), Value(ContentTypeDescription(ContentTypeOf(first))));
        } else {
            form->addRow(Tr("Items:"), Value(QString::number(Paths.size())));
        }
        form->addRow(Tr("Location:"), Value(DisplayFileName(first.section(QLatin1Char('/'), 0, -2))));
        size_ = Value(Tr("counting..."));
        form->addRow(Tr("Size:"), size_);
        if (Paths.size() == 1) {
            if (const TFsResult<TNodeInfo> info = NodeInfo(first)) {
                form->addRow(Tr("Modified:"),
                             Value(QLocale().toString(QDateTime::fromMSecsSinceEpoch(info.Value().ModifiedMs), QLocale::LongFormat)));
                if (info.Value().Kind != TNodeKind::nkLink) AddPermissions(form, first, info.Value().Mode);
            }
        }
        // Counted off the interface thread: a large folder or a slow disk never freezes the window.
        task_ = std::make_unique<TSmartTask>();
        task_->ID(QStringLiteral("Properties"));
        task_->OnExecuteEvent([this, Paths](TSmartTask* task) {
            TTreeCount total;
            for (const QString& path : Paths) {
                TTreeCount count;
                const TFsStatus counted = CountTree(path, count, [&] {
                    bytes_ = total.Bytes + count.Bytes;
                    files_ = total.Files + count.Files;
                    folders_ = total.Folders + count.Folders;
                    return task->Active();
                });
                if (!counted && counted.Code() == ECANCELED) return;
                total.Bytes += count.Bytes;
                total.Files += count.Files;
                total.Folders += count.Folders;
            }
            bytes_ = total.Bytes;
            files_ = total.Files;
            folders_ = total.Folders;
            done_ = true;
        });
        task_->OnTerminatedEvent([this](TTaskThread*) { ShowCount(); });
        task_->Start();
        timer_ = new QTimer(this);
        connect(timer_, &QTimer::timeout, this, [this] { ShowCount(); });
        timer_->start(250);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(Tr("&Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

TPropertiesDialog::~TPropertiesDialog()
{
    // Closing the window stops the count and waits for its worker.
    task_.reset();
}

void TPropertiesDialog::ShowCount()
{
    if (!size_) return;
    QString text = Tr("%1 (%2 bytes)").arg(SizeText(bytes_), QLocale().toString(bytes_.load()));
    if (folders_ > 0) text += Tr(", %1 files, %2 folders").arg(files_.load()).arg(folders_.load());
    if (!done_) text += Tr(" so far");
    size_->setText(text);
    if (done_ && timer_) timer_->stop();
}

void TPropertiesDialog::AddPermissions(QFormLayout* form, const QString& path, unsigned mode)
{
    auto* grid = new QGridLayout;
    const char* who[] = {"Owner", "Group", "Others"};
    const char* what[] = {"&Read", "&Write", "E&xecute"};
    grid->addWidget(new QLabel(Tr("Read")), 0, 1);
    grid->addWidget(new QLabel(Tr("Write")), 0, 2);
    grid->addWidget(new QLabel(Tr("Execute")), 0, 3);
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(new QLabel(Tr(who[row])), row + 1, 0);
        for (int column = 0; column < 3; ++column) {
            const unsigned bit = 1u << (8 - (row * 3 + column));
            auto* box = new QCheckBox;
            box->setAccessibleName(Tr(who[row]) + QLatin1Char(' ') + Tr(what[column]));
            box->setChecked(mode & bit);
            connect(box, &QCheckBox::toggled, this, [this, path, bit, box](bool on) {
                const TFsResult<TNodeInfo> now = NodeInfo(path);
                if (!now) return;
                const unsigned mode = on ? (now.Value().Mode | bit) : (now.Value().Mode & ~bit);
                if (TFsStatus set = SetPermissions(path, mode); !set) {
                    ReportFailure("Properties", set.Error().Message(), flUser);
                    const QSignalBlocker block(box);
                    box->setChecked(!on);
                }
            });
            grid->addWidget(box, row + 1, column + 1);
        }
    }
    form->addRow(Tr("Permissions:"), grid);
}
