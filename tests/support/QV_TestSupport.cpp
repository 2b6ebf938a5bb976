#include "support/QV_TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

TTestDir::TTestDir() : dir_(std::make_unique<QTemporaryDir>(QDir::tempPath() + "/qv-test-XXXXXX")) {}
TTestDir::~TTestDir() = default;

QString TTestDir::Path() const { return dir_->path(); }
QString TTestDir::Sub(const QString& relative) const { return dir_->path() + "/" + relative; }

QString TTestDir::WriteFile(const QString& relative, const QByteArray& contents) const
{
    const QString path = Sub(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    f.write(contents);
    return path;
}

QByteArray TTestDir::ReadFile(const QString& relative) const
{
    QFile f(Sub(relative));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString TTestDir::MakeDir(const QString& relative) const
{
    const QString path = Sub(relative);
    QDir().mkpath(path);
    return path;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void ServeFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

QString SourceDir() { return QStringLiteral(QV_SOURCE_DIR); }
QString BuildDir() { return QStringLiteral(QV_BUILD_DIR); }
