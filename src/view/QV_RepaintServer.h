#pragma once
// The outside repaint request: a local socket private to the user. A client
// that writes "repaint" (a line end is optional) gets "1" back and the view
// repaints; one that writes the name of a report ("selection", "tabs") gets
// what that report's source answers (what the view shows, for tests and
// scripts); anything else gets "0". The program itself never asks.

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

class TRepaintServer : public QObject {
    Q_OBJECT
public:
    // Serves at path. When another live program already serves there, this one
    // stays silent; a stale socket file left by a crash is replaced.
    TRepaintServer(const QString& path, std::function<int()> onRepaint, QObject* parent = nullptr);
    ~TRepaintServer() override;

    // Answers the request Name ("selection", "tabs"); a request without a
    // source gets "0".
    void SetSource(const QByteArray& Name, std::function<QByteArray()> source);
    void SetSelectionSource(std::function<QByteArray()> source) { SetSource("selection", std::move(source)); }

    bool Listening() const;
    QString Path() const { return path_; }

    // $XDG_RUNTIME_DIR/qorvel-repaint, or the toolkit's private per-user
    // runtime folder when that variable is unset.
    static QString DefaultPath();

private:
    void Serve(QLocalSocket* client);

    QString path_;
    std::function<int()> onRepaint_;
    QHash<QByteArray, std::function<QByteArray()>> sources_;
    QLocalServer* server_;
};
