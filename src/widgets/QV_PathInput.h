#pragma once
// What the user types into the path field, read the way a desktop user means
// it: "~" and "~/..." below the home folder, a file:// URI, a path relative to
// the shown folder, trailing and doubled "/" and "." or ".." parts, the
// program's own aliases ("QDrive:\", "MyDocuments:\") and the quick-drive
// caption. ExpandPathInput is pure text work and never fails: an input it
// cannot read gives an empty path. ResolvePathInput then asks the file system.

#include <QString>
#include <QStringList>

// The absolute path (or "QDrive:\", or "Trash:\" for the trash's spellings
// and URIs) the text names; empty for nothing usable.
// CurrentFolder is where relative input starts; without one, relative input
// is not usable.
QString ExpandPathInput(const QString& Text, const QString& Home, const QString& CurrentFolder);

// ptPlace: one of the program's own places, "QDrive:\\" or "Trash:\\".
enum class TPathTargetKind { ptNone, ptPlace, ptFolder, ptFile };

struct TPathTarget {
    TPathTargetKind Kind = TPathTargetKind::ptNone;
    QString Folder;    // where to go
    QString FileName;  // for a file: the item to select there
    QString Expanded;  // what was looked up, for the message when nothing is there
};

TPathTarget ResolvePathInput(const QString& Text, const QString& CurrentFolder);

// The folders of Text's parent whose names start with its last part (without
// letter case when no exact-case name does), sorted; for Tab completion.
QStringList FolderCompletions(const QString& Text, const QString& CurrentFolder);
// The longest start the candidates share (letter case of the first).
QString CommonStart(const QStringList& Names);
