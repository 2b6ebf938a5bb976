#include "platform/desktop/QV_Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

QString ClipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text(QClipboard::Clipboard) : QString();
}

void SetClipboardText(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text, QClipboard::Clipboard);
}
