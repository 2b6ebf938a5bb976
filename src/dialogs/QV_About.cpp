#include "dialogs/QV_About.h"

#include "dialogs/QV_DialogSupport.h"
#include "foundation/QV_System.h"
#include "platform/image/QV_ImageFile.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef QV_VERSION
#define QV_VERSION "0.1"
#endif

namespace {

constexpr qint64 AboutFileLimit = 1 << 20;

QString ReadText(const QString& path)
{
    QByteArray bytes;
    // The picture reader opens regular files only, never blocking, with a cap.
    if (!ReadPictureFile(path, bytes, AboutFileLimit).isEmpty()) return QString();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    return QString::fromUtf8(bytes);
}

} // namespace

QString ReadAboutText()
{
    const QString own = ReadText(ResolvePath(QStringLiteral("About:\\")));
    if (!own.isEmpty()) return own;
    return ReadText(ResolvePath(QStringLiteral("DataPath:\\Language\\English.QVA")));
}

TAboutQorvel::TAboutQorvel(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
    setSizeGripEnabled(true);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/qorvel/qorvel-64.png")).pixmap(64, 64));
    Version = new QLabel(this);
    QFont big = Version->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Version->setFont(big);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Licence = new QLabel(this);
    Licence->setWordWrap(true);
    Licence->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(Version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(Memo1, 1);
    layout->addWidget(Licence);
    layout->addWidget(buttons);
    resize(460, 360);
    RestoreDialogSize(this, objectName());
    LoadText();
}

void TAboutQorvel::LoadText()
{
    setWindowTitle(DlgText("Buttons", "Qorvel.About", "About Qorvel"));
    Version->setText(QStringLiteral("Qorvel ") + QStringLiteral(QV_VERSION));
    const QString text = ReadAboutText();
    // Without any about file the memo keeps what it showed.
    if (!text.isEmpty()) Memo1->setPlainText(text);
    Licence->setText(DlgText("About", "IconLicence",
                             "The icons of the button and file icon themes are rendered from the Breeze icon theme "
                             "by the KDE community and are licensed under the GNU Lesser General Public License, "
                             "version 3 or later (LGPL-3.0-or-later). The program's own icon belongs to Qorvel."));
}

void TAboutQorvel::showEvent(QShowEvent* event)
{
    LoadText();
    QDialog::showEvent(event);
}

void TAboutQorvel::done(int result)
{
    RememberDialogSize(this, objectName());
    QDialog::done(result);
}
