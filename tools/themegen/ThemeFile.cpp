#include "ThemeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

QString InsetsText(const QString& group, const Insets& i) {
  return QStringLiteral("%1(Left[%2], Top[%3], Right[%4], Bottom[%5])")
      .arg(group)
      .arg(i.left)
      .arg(i.top)
      .arg(i.right)
      .arg(i.bottom);
}

QString ModeWord(DrawMode mode) {
  switch (mode) {
    case DrawMode::Full: return "full";
    case DrawMode::Stretch: return "stretch";
    case DrawMode::Horiz: return "horiz";
    case DrawMode::Vert: return "vert";
    case DrawMode::None: return "none";
  }
  return "full";
}

// Text between the delimiters after the first "name" + open, found
// case-insensitively; the first occurrence wins, as in the program's reader.
std::optional<QString> Enclosed(const QString& text, const QString& name, QChar open, QChar close) {
  const int at = text.indexOf(name + open, 0, Qt::CaseInsensitive);
  if (at < 0) return std::nullopt;
  const int from = at + name.size() + 1;
  const int to = text.indexOf(close, from);
  if (to < 0) return std::nullopt;
  return text.mid(from, to - from).trimmed();
}

std::optional<int> SubInt(const QString& group, const QString& name) {
  bool ok = false;
  const int value = Enclosed(group, name, '[', ']').value_or(QString()).toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

Insets ReadInsets(const QString& params, const QString& group, int fallback) {
  const auto text = ParamValue(params, group).value_or(QString());
  return {SubInt(text, "Left").value_or(fallback), SubInt(text, "Top").value_or(fallback),
          SubInt(text, "Right").value_or(fallback), SubInt(text, "Bottom").value_or(fallback)};
}

}  // namespace

QString ImageEntry::Text() const {
  QStringList parts{QStringLiteral("DrawMode(%1)").arg(ModeWord(mode)), InsetsText("Margins", margins),
                    InsetsText("DrawOffset", offset)};
  if (workArea) parts << InsetsText("WorkArea", *workArea);
  if (!extra.isEmpty()) parts << extra;
  return parts.join(", ");
}

QString ColorText(const QColor& color) {
  return QStringLiteral("$%1%2%3")
      .arg(color.blue(), 2, 16, QChar('0'))
      .arg(color.green(), 2, 16, QChar('0'))
      .arg(color.red(), 2, 16, QChar('0'))
      .toUpper();
}

QString FontStyle::Text() const {
  return QStringLiteral("Name(%1), Color(%2), Size(%3), Bold(%4), Italic(0)")
      .arg(name, ColorText(color))
      .arg(size)
      .arg(bold ? 1 : 0);
}

ThemeFile::Section* ThemeFile::Find(const QString& section) {
  for (auto& s : sections_)
    if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
  return nullptr;
}

const ThemeFile::Section* ThemeFile::Find(const QString& section) const {
  return const_cast<ThemeFile*>(this)->Find(section);
}

void ThemeFile::Set(const QString& section, const QString& key, const QString& value) {
  Section* s = Find(section);
  if (!s) {
    sections_.append({section, {}});
    s = &sections_.last();
  }
  for (auto& kv : s->keys) {
    if (kv.first.compare(key, Qt::CaseInsensitive) == 0) {
      kv.second = value;
      return;
    }
  }
  s->keys.append({key, value});
}

bool ThemeFile::Save(const QString& path) const {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
  QTextStream out(&file);
  bool first = true;
  for (const auto& s : sections_) {
    if (!first) out << "\n";
    first = false;
    out << "[" << s.name << "]\n";
    for (const auto& kv : s.keys) out << kv.first << "=" << kv.second << "\n";
  }
  out.flush();
  return file.commit();
}

bool ThemeFile::Load(const QString& path) {
  sections_.clear();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  Section* current = nullptr;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.isEmpty() || line.startsWith(';')) continue;
    if (line.startsWith('[') && line.endsWith(']')) {
      const QString name = line.mid(1, line.size() - 2).trimmed();
      current = Find(name);
      if (!current) {
        sections_.append({name, {}});
        current = &sections_.last();
      }
      continue;
    }
    const int eq = line.indexOf('=');
    if (eq <= 0 || !current) continue;
    current->keys.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
  }
  return true;
}

std::optional<QString> ThemeFile::Value(const QString& section, const QString& key) const {
  const Section* s = Find(section);
  if (!s) return std::nullopt;
  for (const auto& kv : s->keys)
    if (kv.first.compare(key, Qt::CaseInsensitive) == 0) return kv.second;
  return std::nullopt;
}

QList<QPair<QString, QString>> ThemeFile::Keys(const QString& section) const {
  const Section* s = Find(section);
  return s ? s->keys : QList<QPair<QString, QString>>{};
}

std::optional<QString> ParamValue(const QString& params, const QString& name) {
  return Enclosed(params, name, '(', ')');
}

ParsedEntry ParseEntry(const QString& value) {
  ParsedEntry e;
  const QString word = ParamValue(value, "DrawMode").value_or("full");
  // The skin buffer compares the word exactly; any other word draws unscaled.
  if (word == "full") e.mode = DrawMode::Full;
  else if (word == "stretch") e.mode = DrawMode::Stretch;
  else if (word == "vert") e.mode = DrawMode::Vert;
  else if (word == "horiz") e.mode = DrawMode::Horiz;
  else if (word == "none") e.mode = DrawMode::None;
  e.margins = ReadInsets(value, "Margins", 2);
  e.offset = ReadInsets(value, "DrawOffset", 0);
  e.workArea = ReadInsets(value, "WorkArea", 0);
  return e;
}
