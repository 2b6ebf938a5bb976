#include "platform/desktop/QV_Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* Board()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

void SetClipboardFormats(const std::vector<std::pair<QString, QByteArray>>& formats)
{
    QClipboard* board = Board();
    if (!board) return;
    auto* data = new QMimeData;
    for (const auto& [mime, bytes] : formats) data->setData(mime, bytes);
    board->setMimeData(data);
}

std::vector<std::pair<QString, QByteArray>> ClipboardFormats(const QStringList& wanted)
{
    std::vector<std::pair<QString, QByteArray>> found;
    QClipboard* board = Board();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data) return found;
    for (const QString& mime : wanted)
        if (data->hasFormat(mime)) found.emplace_back(mime, data->data(mime));
    return found;
}

bool ClipboardHasFormat(const QStringList& wanted)
{
    QClipboard* board = Board();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data) return false;
    for (const QString& mime : wanted)
        if (data->hasFormat(mime)) return true;
    return false;
}

QString ClipboardText()
{
    QClipboard* board = Board();
    return board ? board->text() : QString();
}

void ClearClipboard()
{
    if (QClipboard* board = Board()) board->clear();
}

void SetClipboardText(const QString& text)
{
    if (QClipboard* board = Board()) board->setText(text, QClipboard::Clipboard);
}
