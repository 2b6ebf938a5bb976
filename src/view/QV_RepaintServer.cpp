#include "view/QV_RepaintServer.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QVariant>

namespace {

// A request longer than this is not one the server knows.
constexpr qsizetype MaxRequest = 64;

// Without a line end, a request is awaited while it may still grow into one.
bool MayGrow(const QByteArray& request, const QList<QByteArray>& known)
{
    for (const QByteArray& name : known)
        if (name.size() > request.size() && name.startsWith(request)) return true;
    return false;
}

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

void TRepaintServer::SetSource(const QByteArray& Name, std::function<QByteArray()> source)
{
    if (source) sources_.insert(Name, std::move(source));
    else sources_.remove(Name);
}

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
        if (end < 0 && MayGrow(request.trimmed(), sources_.keys() << QByteArray("repaint"))) {
            client->setProperty("request", request);
            return;
        }
        if (end >= 0) request.truncate(end);
        request = request.size() <= MaxRequest ? request.trimmed() : QByteArray();
        if (const auto source = sources_.constFind(request); source != sources_.cend() && request != "repaint")
            client->write((*source)());
        else
            client->write(QByteArray::number(request == "repaint" && onRepaint_ ? onRepaint_() : 0));
        client->disconnectFromServer();
        disconnect(client, &QLocalSocket::readyRead, this, nullptr);
    });
}
