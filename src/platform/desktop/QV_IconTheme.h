#pragma once
// Desktop icon themes as the freedesktop icon theme rules describe them: theme
// folders with an index.theme below a list of base folders, size directories of
// the kinds Fixed, Scalable and Threshold, inheritance, and unthemed icons lying
// in the base folders themselves.

#include <QMutex>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class TIconThemes {
public:
    // Base folders in order of precedence; a theme may be spread over several.
    explicit TIconThemes(QStringList baseFolders);
    ~TIconThemes();

    // $XDG_DATA_HOME/icons, ~/.icons, each of $XDG_DATA_DIRS/icons and
    // /usr/share/pixmaps.
    static TIconThemes& System();

    bool HasTheme(const QString& name) const;

    // The file of an icon for `size` pixels: the first of `names` that `theme` or
    // a theme it inherits has (each theme is asked for all names before the next
    // theme), then the same in "breeze" and "hicolor", then unthemed. Within a
    // theme the directory that matches the size wins, else the nearest one, and
    // of equally near ones the larger, since shrinking looks better than
    // enlarging. PNG and SVG files only. Empty when no theme has any of the names.
    QString FindIcon(const QStringList& names, int size, const QString& theme) const;

    struct TTheme;

private:
    std::shared_ptr<const TTheme> Theme(const QString& name) const;
    QString FindInTheme(const TTheme& theme, const QStringList& names, int size) const;

    const QStringList baseFolders_;
    mutable QMutex lock_; // guards themes_; lookups run on several threads
    mutable std::map<QString, std::shared_ptr<const TTheme>> themes_;
};

// The icon theme the desktop is set to: Plasma's kdeglobals on a KDE desktop,
// GNOME's interface setting on GNOME-like desktops, else GTK's settings.ini,
// then kdeglobals; the first of these naming an installed theme, else "breeze".
// Read again on every call.
QString ReadDesktopIconTheme(const TIconThemes& themes);
