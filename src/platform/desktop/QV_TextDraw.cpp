#include "platform/desktop/QV_TextDraw.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace {

const QString kEllipsis = QString(QChar(0x2026));

struct TLine {
    QString Text;
    int Underline = -1; // character index drawn underlined, -1 for none
};

// Removes the prefix markers; answers the index of the marked character.
int StripPrefix(QString& text)
{
    QString out;
    out.reserve(text.size());
    int underline = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] != QLatin1Char('&')) underline = int(out.size());
        } else if (text[i] == QLatin1Char('&')) {
            continue; // a trailing single marker marks nothing
        }
        out += text[i];
    }
    text = out;
    return underline;
}

QStringList WrapWords(const QFontMetrics& metrics, const QString& paragraph, int width)
{
    QStringList lines;
    QString current;
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (!current.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
            lines << current;
            current = word;
        } else {
            current = candidate;
        }
    }
    lines << current;
    return lines;
}

QString ElidePath(const QFontMetrics& metrics, const QString& line, int width)
{
    const qsizetype cut = std::max(line.lastIndexOf(QLatin1Char('/')), line.lastIndexOf(QLatin1Char('\\')));
    if (cut <= 0) return metrics.elidedText(line, Qt::ElideRight, width);
    const QString tail = line.mid(cut);
    const QString head = line.left(cut);
    // The longest start of the head that still fits in front of the ellipsis.
    qsizetype low = 0, high = head.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(head.left(mid) + kEllipsis + tail) <= width) low = mid;
        else high = mid - 1;
    }
    const QString result = head.left(low) + kEllipsis + tail;
    if (metrics.horizontalAdvance(result) <= width) return result;
    return metrics.elidedText(kEllipsis + tail, Qt::ElideRight, width);
}

QList<TLine> Layout(const QFontMetrics& metrics, int width, const QString& input, unsigned flags)
{
    QString text = input;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (flags & tfSingleLine) text.replace(QLatin1Char('\n'), QLatin1Char(' '));

    QList<TLine> lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        const QStringList pieces = (flags & tfWordBreak) && !(flags & tfSingleLine)
                                       ? WrapWords(metrics, paragraph, width)
                                       : QStringList{paragraph};
        for (QString piece : pieces) {
            TLine line;
            if (!(flags & tfNoPrefix)) line.Underline = StripPrefix(piece);
            if (metrics.horizontalAdvance(piece) > width) {
                QString cut = piece;
                if (flags & tfPathEllipsis) cut = ElidePath(metrics, piece, width);
                else if (flags & tfEndEllipsis) cut = metrics.elidedText(piece, Qt::ElideRight, width);
                if (cut != piece && line.Underline >= cut.size() - 1) line.Underline = -1;
                piece = cut;
            }
            line.Text = piece;
            lines << line;
        }
    }
    return lines;
}

void PreparePainter(QPainter& painter, const TFont& font)
{
    painter.setFont(font.ToQFont());
    painter.setPen(QColor::fromRgb(ToColor32(font.Color)));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

QStringList LayoutTextLines(const TFont& font, int width, const QString& text, unsigned flags)
{
    QStringList out;
    for (const TLine& line : Layout(QFontMetrics(font.ToQFont()), width, text, flags)) out << line.Text;
    return out;
}

QRect DrawTextIn(QImage& image, const TFont& font, const QRect& rect, const QString& text, unsigned flags)
{
    const QFont qfont = font.ToQFont();
    const QFontMetrics metrics(qfont);
    const QList<TLine> lines = Layout(metrics, rect.width(), text, flags);
    const int lineHeight = metrics.lineSpacing();
    const int blockHeight = metrics.height() + int(lines.size() - 1) * lineHeight;

    int top = rect.top();
    if (flags & tfVCenter) top = rect.top() + (rect.height() - blockHeight) / 2;
    else if (flags & tfBottom) top = rect.top() + rect.height() - blockHeight;

    QRect used;
    if (image.isNull()) return used;
    QPainter painter(&image);
    PreparePainter(painter, font);
    if (!(flags & tfNoClip)) painter.setClipRect(rect);
    int y = top;
    for (const TLine& line : lines) {
        const int lineWidth = metrics.horizontalAdvance(line.Text);
        int x = rect.left();
        if (flags & tfCenter) x = rect.left() + (rect.width() - lineWidth) / 2;
        else if (flags & tfRight) x = rect.left() + rect.width() - lineWidth;
        painter.drawText(x, y + metrics.ascent(), line.Text);
        if (line.Underline >= 0 && line.Underline < line.Text.size()) {
            const int from = x + metrics.horizontalAdvance(line.Text.left(line.Underline));
            const int to = from + metrics.horizontalAdvance(line.Text.mid(line.Underline, 1));
            const int underY = y + metrics.ascent() + metrics.underlinePos();
            painter.fillRect(QRect(from, underY, std::max(1, to - from), std::max(1, metrics.lineWidth())),
                             painter.pen().color());
        }
        used |= QRect(x, y, std::max(lineWidth, 0), metrics.height());
        y += lineHeight;
    }
    return used;
}

void TextOutAt(QImage& image, const TFont& font, int x, int y, const QString& text)
{
    if (image.isNull()) return;
    QPainter painter(&image);
    PreparePainter(painter, font);
    painter.drawText(x, y + QFontMetrics(painter.font()).ascent(), text);
}
