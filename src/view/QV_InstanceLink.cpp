#include "view/QV_InstanceLink.h"

#include "platform/QV_Report.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileUri.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QVariant>

namespace {

// A request larger than this is not one a start sends; the client is dropped.
constexpr qsizetype MaxRequestBytes = 64 << 20;

bool IsAddress(const QByteArray& argument)
{
    const qsizetype colon = argument.indexOf("://");
    return colon > 0 && !argument.left(colon).contains('/');
}

} // namespace

QString InstanceSocketPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/qorvel-instance");
}

QList<QByteArray> HandOverLines(const QList<QByteArray>& arguments, const QString& workingFolder)
{
    QList<QByteArray> lines;
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty()) continue;
        if (IsAddress(argument)) {
            // Line breaks would split the request; an address keeps its other bytes.
            QByteArray line = argument;
            line.replace('\n', "%0A").replace('\r', "%0D");
            lines << line;
            continue;
        }
        const QString path = DecodeFileName(argument);
        lines << FileUriFromPath(path.startsWith(QLatin1Char('/')) ? path : workingFolder + QLatin1Char('/') + path);
    }
    return lines;
}

bool HandOverToRunning(const QString& socketPath, const QList<QByteArray>& arguments, const QString& workingFolder,
                       int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray request = QByteArrayLiteral("open\n");
    for (const QByteArray& line : HandOverLines(arguments, workingFolder)) request += line + '\n';
    request += '\n';
    socket.write(request);
    QElapsedTimer clock;
    clock.start();
    QByteArray answer;
    while (!answer.contains('1') && socket.state() == QLocalSocket::ConnectedState && clock.elapsed() < timeoutMs) {
        socket.waitForBytesWritten(50);
        if (socket.waitForReadyRead(50)) answer += socket.readAll();
    }
    answer += socket.readAll();
    return answer.startsWith('1');
}

TInstanceServer::TInstanceServer(const QString& path, TOpenHandler onOpen, QObject* parent)
    : QObject(parent), onOpen_(std::move(onOpen)), server_(new QLocalServer(this))
{
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(200)) return; // a live window serves: this one stays silent
    QLocalServer::removeServer(path);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) ReportFailure("Instance socket", server_->errorString());
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) Serve(client);
    });
}

TInstanceServer::~TInstanceServer() = default;

bool TInstanceServer::Listening() const { return server_->isListening(); }

void TInstanceServer::Serve(QLocalSocket* client)
{
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        QByteArray request = client->property("request").toByteArray() + client->readAll();
        if (request.size() > MaxRequestBytes || (!request.startsWith("open\n") && request.size() >= 5)) {
            client->write("0");
            client->disconnectFromServer();
            return;
        }
        if (!request.endsWith("\n\n")) {
            client->setProperty("request", request);
            return;
        }
        disconnect(client, &QLocalSocket::readyRead, this, nullptr);
        QList<QByteArray> lines = request.split('\n');
        lines.removeFirst(); // "open"
        while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        client->write("1");
        client->flush();
        client->disconnectFromServer();
        // Every line is absolute or an address by now: the folder it is
        // resolved against does not matter.
        if (onOpen_) onOpen_(OpenRequestsFrom(lines, QStringLiteral("/")));
    });
}
