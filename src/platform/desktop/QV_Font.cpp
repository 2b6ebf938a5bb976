#include "platform/desktop/QV_Font.h"

#include "platform/fs/QV_FileNames.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

constexpr int kDotsPerInch = 96;

QStringList SplitLines(const QString& text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

} // namespace

int TFont::PixelSize() const
{
    // Negative sizes in font texts give a pixel height of their magnitude.
    const int points = Size < 0 ? -Size : Size;
    return std::max(1, (points * kDotsPerInch + 36) / 72);
}

QFont TFont::ToQFont() const
{
    QFont font(Name);
    font.setPixelSize(PixelSize());
    font.setBold(Bold);
    font.setItalic(Italic);
    // Fixed hinting keeps advances independent of the platform plugin's defaults.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

int MeasureTextWidth(const TFont& font, const QString& text)
{
    const QFontMetrics metrics(font.ToQFont());
    int width = 0;
    for (const QString& line : SplitLines(text)) width = std::max(width, metrics.horizontalAdvance(line));
    return width;
}

std::vector<int> MeasureCaretPlaces(const TFont& font, const QString& text)
{
    std::vector<int> places(size_t(text.size()) + 1, 0);
    if (text.isEmpty()) return places;
    // One layout answers every place; measuring each prefix anew would cost
    // the square of the length.
    QTextLayout layout(text, font.ToQFont());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) return places;
    int last = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        last = std::max(last, int(std::lround(line.cursorToX(int(i)))));
        places[size_t(i)] = last;
    }
    return places;
}

int MeasureTextHeight(const TFont& font, const QString& text)
{
    const QFontMetrics metrics(font.ToQFont());
    const qsizetype lines = SplitLines(text).size();
    return metrics.height() + int(lines - 1) * metrics.lineSpacing();
}

int RegisterBundledFonts()
{
    static std::mutex lock;
    static QStringList registered;
    const std::lock_guard<std::mutex> guard(lock);

    // The Tahoma pair is what themes name; the other files of that folder are
    // bitmap fonts the program has no use for.
    const QString folder = QStringLiteral("/usr/share/wine/fonts/");
    const QStringList wanted = {QStringLiteral("tahoma.ttf"), QStringLiteral("tahomabd.ttf")};
    int added = 0;
    for (const QString& name : wanted) {
        const QString path = folder + name;
        if (registered.contains(path)) continue;
        const QByteArray encoded = EncodeFileName(path);
        if (::access(encoded.constData(), R_OK) != 0) continue;
        if (QFontDatabase::addApplicationFont(path) >= 0) {
            registered << path;
            ++added;
        }
    }
    return added;
}
