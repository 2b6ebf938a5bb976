#pragma once
// The desktop's applications and devices through GIO: which programs open a
// content type, launching one with files, the default per type, unmounting and
// ejecting volumes, and revealing a file in the system's file browser.

#include "platform/fs/QV_FsResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct TAppEntry {
    QString Id;        // the desktop file id ("org.gnome.gedit.desktop")
    QString Name;
    QString Icon;      // an icon-theme name, or empty
    bool Recommended = false;
    bool Default = false;
};

// The content type of a file (by name and, for regular files, its first bytes;
// never blocks on a FIFO) and its human description ("PNG image").
QString ContentTypeOf(const QString& path);
QString ContentTypeDescription(const QString& contentType);

// The applications for the type: recommended ones first, the default first among them.
std::vector<TAppEntry> AppsForType(const QString& contentType);

// Starts the application with the files; false when it cannot be started.
bool LaunchAppWith(const QString& appId, const QStringList& paths);
// Starts a command line ("gimp --new-instance") with the files appended.
bool LaunchCommandWith(const QString& commandLine, const QStringList& paths);
bool SetDefaultApp(const QString& appId, const QString& contentType);

// Whether GIO knows the mount at mountPoint and can unmount or eject it.
struct TMountAbilities {
    bool Known = false;
    bool CanUnmount = false;
    bool CanEject = false;
    QString Device;     // the volume's device file, if any
    QString Name;       // its name as the desktop shows it
};
TMountAbilities MountAbilities(const QString& mountPoint);

// Unmounts (or ejects) on a thread of its own; done is called on the
// interface thread with the result ("busy" errors carry EBUSY).
void UnmountVolume(const QString& mountPoint, bool eject, std::function<void(TFsStatus)> done);

// org.freedesktop.FileManager1.ShowItems (Select) or ShowFolders over D-Bus,
// in the background; without the service, the folder opens with the default
// application.
void RevealInFileManager(const QString& path, bool select);
