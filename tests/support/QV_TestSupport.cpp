#include "support/QV_TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

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

TDescriptorLimit::TDescriptorLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    saved_ = limit.rlim_cur;
    // A new descriptor takes the lowest free number, which must reach the limit.
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (lowestFree >= 0) ::close(lowestFree);
    limit.rlim_cur = rlim_t(lowestFree < 0 ? 0 : lowestFree);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

TDescriptorLimit::~TDescriptorLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = rlim_t(saved_);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

QString SourceDir() { return QStringLiteral(QV_SOURCE_DIR); }
QString BuildDir() { return QStringLiteral(QV_BUILD_DIR); }
