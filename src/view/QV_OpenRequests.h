#pragma once
// What other programs ask the window to show: command-line arguments, a second
// start's hand-over and the desktop's file-manager calls all become open
// requests. A folder opens in a tab; a file opens its folder with the file
// selected. Nothing named is ever run.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

struct TOpenRequest {
    QString Folder;      // absolute, without trailing delimiter ("/" for the root); or "Trash:\\"
    QStringList Select;  // names in Folder to select; empty for a folder of its own

    bool operator==(const TOpenRequest&) const = default;
};

// One request per folder, in the order the folders are first named; files of one
// folder share its request. Each argument is a path (absolute, or relative to
// workingFolder) or a file:// address, given as the raw bytes of the command
// line; "trash:///" (and "Trash:\\") is the trash place. Arguments that name nothing, or are addresses of another kind, are
// left out and reported. At most 64 folders are opened from one request.
std::vector<TOpenRequest> OpenRequestsFrom(const QList<QByteArray>& arguments, const QString& workingFolder);

// The same for the desktop's calls: ShowFolders treats every address as a
// folder to open, ShowItems as items to reveal in their folders.
enum class TOpenAs { oaFolders, oaItems };
std::vector<TOpenRequest> OpenRequestsFromUris(const QStringList& uris, TOpenAs as);
