#include "view/QV_RepaintServer.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QVariant>

namespace {

// A request longer than this is not one the server knows.
constexpr qsizetype MaxRequest = 64;

bool SomeoneServes(const QString& path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    return probe.waitForConnected(200);
}

}  // namespace

TRepaintServer::TRepaintServer(const QString& path, std::function<int()> onRepaint, QObject* parent)
    : QObject(parent), path_(path), onRepaint_(std::move(onRepaint)), server_(new QLocalServer(this))
{
    // Asked first: listening with access options replaces whatever file is there.
    if (!SomeoneServes(path)) {
        QLocalServer::removeServer(path);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        server_->listen(path);
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) Serve(client);
    });
}

TRepaintServer::~TRepaintServer() = default;

bool TRepaintServer::Listening() const { return server_->isListening(); }

QString TRepaintServer::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/qorvel-repaint");
}

void TRepaintServer::Serve(QLocalSocket* client)
{
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        QByteArray request = client->property("request").toByteArray() + client->readAll();
        const qsizetype end = request.indexOf('\n');
        if (end < 0 && request.size() < qsizetype(sizeof "repaint" - 1)) {
            client->setProperty("request", request);
            return;
        }
        if (end >= 0) request.truncate(end);
        const bool known = request.size() <= MaxRequest && request.trimmed() == "repaint";
        int answer = 0;
        if (known && onRepaint_) answer = onRepaint_();
        client->write(QByteArray::number(known ? answer : 0));
        client->disconnectFromServer();
        disconnect(client, &QLocalSocket::readyRead, this, nullptr);
    });
}
