// Theme data files (INI text whose values are parameter strings): writing them in a
// fixed order, and reading them back for the checks and the preview.
#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

struct Insets {
  int left = 0, top = 0, right = 0, bottom = 0;
};

enum class DrawMode { Full, Stretch, Horiz, Vert, None };

// One "Image(...)" value: how the skin buffer slices and places an image.
struct ImageEntry {
  DrawMode mode = DrawMode::Full;
  Insets margins;
  Insets offset;
  std::optional<Insets> workArea;  // only read from a control's Background entry
  QString extra;                   // further parameters, e.g. the scroll pan's size

  QString Text() const;
};

// "$BBGGRR", the platform colour layout the theme files use.
QString ColorText(const QColor& color);

struct FontStyle {
  QString name = "Calibri";
  QColor color;
  int size = 10;
  bool bold = false;

  QString Text() const;
};

class ThemeFile {
 public:
  void Set(const QString& section, const QString& key, const QString& value);
  bool Save(const QString& path) const;

  bool Load(const QString& path);
  // Section and key names compare case-insensitively, as INI files do.
  std::optional<QString> Value(const QString& section, const QString& key) const;
  QList<QPair<QString, QString>> Keys(const QString& section) const;

 private:
  struct Section {
    QString name;
    QList<QPair<QString, QString>> keys;
  };
  Section* Find(const QString& section);
  const Section* Find(const QString& section) const;

  QList<Section> sections_;
};

// Reads the parts of a parameter string that the skin buffer reads, with its
// defaults: "full" when DrawMode is absent, margins 2, offsets and work area 0.
struct ParsedEntry {
  std::optional<DrawMode> mode;  // empty for a word the skin buffer does not know
  Insets margins;
  Insets offset;
  Insets workArea;
};
ParsedEntry ParseEntry(const QString& value);

// Value of "Name(...)" in a parameter string, found case-insensitively.
std::optional<QString> ParamValue(const QString& params, const QString& name);
