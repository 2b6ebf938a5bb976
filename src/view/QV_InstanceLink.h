#pragma once
// One window per user session. A start first offers its arguments to a running
// window through a local socket private to the user; when one answers, the
// start ends there and the running window opens what was asked and comes
// forward. Otherwise the start serves the socket itself. A socket file left by
// a crashed window is replaced, never waited on.
//
// The request: "open", then one line per argument (an absolute path as a
// file:// address, or an address as given), then an empty line. The answer:
// "1" when the window took it.

#include "view/QV_OpenRequests.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// $XDG_RUNTIME_DIR/qorvel-instance, or the toolkit's private per-user runtime
// folder when that variable is unset.
QString InstanceSocketPath();

// The lines of a request: each argument made absolute against workingFolder
// and written as a file:// address, so any name travels byte for byte.
QList<QByteArray> HandOverLines(const QList<QByteArray>& arguments, const QString& workingFolder);

// True when a running window at socketPath took the arguments.
bool HandOverToRunning(const QString& socketPath, const QList<QByteArray>& arguments, const QString& workingFolder,
                       int timeoutMs = 2000);

class TInstanceServer : public QObject {
    Q_OBJECT
public:
    using TOpenHandler = std::function<void(const std::vector<TOpenRequest>& requests)>;

    // Serves at path unless a live window serves there already.
    TInstanceServer(const QString& path, TOpenHandler onOpen, QObject* parent = nullptr);
    ~TInstanceServer() override;

    bool Listening() const;

private:
    void Serve(QLocalSocket* client);

    TOpenHandler onOpen_;
    QLocalServer* server_;
};
