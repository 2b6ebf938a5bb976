#pragma once
// The desktop's file-manager calls on the session bus
// (org.freedesktop.FileManager1 at /org/freedesktop/FileManager1): other
// programs ask the running window to show folders, to reveal items (their
// folder in a tab with the items selected) or to show items' properties. The
// name is held only while the window runs; when another file manager holds it,
// the window runs without it.

#include "view/QV_OpenRequests.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <functional>

class TFileManagerService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    enum class TPurpose { fpShow, fpProperties };
    using TOpenHandler = std::function<void(const std::vector<TOpenRequest>& requests, TPurpose purpose)>;

    explicit TFileManagerService(TOpenHandler onOpen, QObject* parent = nullptr);

    // Exports the object and takes the name on bus; false when either fails
    // (no bus, or the name is taken).
    bool Register(QDBusConnection bus);

public Q_SLOTS:
    Q_SCRIPTABLE void ShowFolders(const QStringList& URIs, const QString& StartUpId);
    Q_SCRIPTABLE void ShowItems(const QStringList& URIs, const QString& StartUpId);
    Q_SCRIPTABLE void ShowItemProperties(const QStringList& URIs, const QString& StartUpId);

private:
    TOpenHandler onOpen_;
};
