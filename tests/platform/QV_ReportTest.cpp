#include "platform/QV_Report.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <stdexcept>
#include <thread>

namespace {

// Installs a recording hook for one test and puts the previous one back.
class TRecordingHook {
public:
    TRecordingHook()
    {
        previous_ = SetFailureHook([this](TFailureLevel level, const QString& where, const QString& what) {
            Lines << QStringLiteral("%1|%2|%3").arg(level == flUser ? "user" : "quiet", where, what);
        });
    }
    ~TRecordingHook() { SetFailureHook(std::move(previous_)); }
    QStringList Lines;

private:
    TFailureHook previous_;
};

} // namespace

TEST(Report, EveryShapeOfFailureReachesTheInstalledHook)
{
    TRecordingHook hook;
    ReportFailure("Listing", "cannot open /x");
    ReportFailure("Rename", "a exists", flUser);
    try {
        throw std::runtime_error("damaged picture");
    } catch (...) {
        ReportCurrentException("Decoder");
    }
    try {
        throw 42;
    } catch (...) {
        ReportCurrentException("Worker");
    }
    // From another thread too: workers report where they catch.
    std::thread([] { ReportFailure("Thread", "gone"); }).join();
    EXPECT_EQ(hook.Lines, (QStringList{"quiet|Listing|cannot open /x", "user|Rename|a exists",
                                       "quiet|Decoder|damaged picture", "quiet|Worker|unknown exception",
                                       "quiet|Thread|gone"}));
}

TEST(Report, RemovingTheHookRestoresTheDefault)
{
    int calls = 0;
    TFailureHook previous = SetFailureHook([&](TFailureLevel, const QString&, const QString&) { ++calls; });
    ReportFailure("A", "x");
    TFailureHook mine = SetFailureHook(std::move(previous));
    ReportFailure("B", "y"); // the default: nothing visible without QORVEL_DEBUG
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(mine);
}
