#include "platform/QV_Report.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex gHookMutex;
TFailureHook gHook;

QString DescribeCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}

} // namespace

void DefaultFailureReport(TFailureLevel level, const QString& where, const QString& what)
{
    static const bool debug = std::getenv("QORVEL_DEBUG") != nullptr;
    if (!debug)
        return;
    const QByteArray line = QStringLiteral("qorvel: %1%2: %3\n")
                                .arg(level == flUser ? QStringLiteral("[user] ") : QString(), where, what)
                                .toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

void ReportFailure(const char* where, const QString& what, TFailureLevel level)
{
    TFailureHook hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gHook;
    }
    const QString place = QString::fromUtf8(where);
    if (hook)
        hook(level, place, what);
    else
        DefaultFailureReport(level, place, what);
}

void ReportCurrentException(const char* where, TFailureLevel level)
{
    ReportFailure(where, DescribeCurrentException(), level);
}

TFailureHook SetFailureHook(TFailureHook hook)
{
    std::lock_guard lock(gHookMutex);
    std::swap(gHook, hook);
    return hook;
}
