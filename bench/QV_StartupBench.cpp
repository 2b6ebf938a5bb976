// Time from process start to the first painted frame of Qorvel, against the
// time PCManFM-Qt, started on the same folder under the same Xvfb, needs to
// show its window; the median of ten starts each. The reference stops its clock
// when its window becomes visible, before that window's first paint, so the
// comparison leans towards the reference. The first frame holds every bar and
// the tab strip with their items.

#include "QV_BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void Stop(QProcess& process)
{
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// Milliseconds until the program prints its first-paint line; -1 on failure.
double QorvelStart(const QString& folder, const QProcessEnvironment& env)
{
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(QV_QORVEL_BINARY), {});
    QByteArray output;
    while (!output.contains("qorvel: first paint") && clock.elapsed() < 30000) {
        if (!program.waitForReadyRead(30000)) break;
        output += program.readAllStandardOutput();
    }
    const double ms = output.contains("qorvel: first paint") ? clock.nsecsElapsed() / 1e6 : -1;
    Stop(program);
    return ms;
}

// With one window running, the wall time of each of ten further starts that
// hand a folder over to it; empty on failure.
std::vector<double> SecondStarts(const QString& folder, const QProcessEnvironment& env)
{
    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(folder);
    first.start(QStringLiteral(QV_QORVEL_BINARY), {});
    QByteArray output;
    QElapsedTimer wait;
    wait.start();
    while (!output.contains("qorvel: first paint") && wait.elapsed() < 30000 && first.waitForReadyRead(30000))
        output += first.readAllStandardOutput();
    std::vector<double> times;
    for (int i = 0; i < 10 && output.contains("qorvel: first paint"); ++i) {
        QProcess second;
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(folder);
        QElapsedTimer clock;
        clock.start();
        second.start(QStringLiteral(QV_QORVEL_BINARY), {folder});
        if (!second.waitForFinished(10000) || second.exitCode() != 0) {
            times.clear();
            break;
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    Stop(first);
    return times;
}

// Milliseconds until a visible window of the process exists; -1 on failure.
// A start that ends without a window (it found the previous instance still
// registered on the bus and handed its folder over) is tried again.
double ReferenceStart(const QString& program, const QString& folder, const QProcessEnvironment& env)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        QProcess reference;
        reference.setProcessEnvironment(env);
        // Its chatter goes nowhere: read from a pipe, it changes how it starts.
        reference.setStandardOutputFile(QProcess::nullDevice());
        reference.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        reference.start(program, {folder});
        if (!reference.waitForStarted(10000)) return -1;
        const QString pid = QString::number(reference.processId());
        while (clock.elapsed() < 30000 && !reference.waitForFinished(0)) {
            QProcess search;
            search.setProcessEnvironment(env);
            search.start("xdotool", {"search", "--onlyvisible", "--pid", pid});
            search.waitForFinished(5000);
            if (!search.readAllStandardOutput().trimmed().isEmpty()) {
                const double ms = clock.nsecsElapsed() / 1e6;
                Stop(reference);
                return ms;
            }
        }
        Stop(reference);
        QThread::msleep(200);  // lets the bus forget the ended instance
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString reference = QStandardPaths::findExecutable("pcmanfm-qt");
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("dbus-daemon").isEmpty() ||
        reference.isEmpty()) {
        std::fprintf(stderr, "needs Xvfb, dbus-daemon and pcmanfm-qt (scripts/install-deps installs them)\n");
        return 1;
    }

    QTemporaryDir folder;
    if (QProcess::execute("cp", {"-r", QStringLiteral(QV_BUILD_DIR "/Data"), folder.path()}) != 0) return 1;
    const QString runtime = folder.path() + "/runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    QByteArray display;
    while (!display.contains('\n') && xvfb.waitForReadyRead(15000)) display += xvfb.readAllStandardOutput();
    if (!display.contains('\n')) return 1;

    // One session bus for both programs, started before any clock runs: the
    // reference keeps to one instance per session through it.
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    QByteArray address;
    while (!address.contains('\n') && bus.waitForReadyRead(15000)) address += bus.readAllStandardOutput();
    if (!address.contains('\n')) return 1;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(address.trimmed()));
    env.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", folder.path() + "/config");
    env.insert("QORVEL_REPORT_FIRST_PAINT", "1");
    env.remove("WAYLAND_DISPLAY");

    std::vector<double> ours, theirs;
    bool failed = false;
    for (int i = 0; i < 10 && !failed; ++i) {
        const double a = QorvelStart(folder.path(), env);
        const double b = ReferenceStart(reference, folder.path(), env);
        failed = a < 0 || b < 0;
        if (failed) std::fprintf(stderr, "start %d failed (qorvel %.0f ms, reference %.0f ms)\n", i + 1, a, b);
        ours.push_back(a);
        theirs.push_back(b);
    }
    const std::vector<double> handOvers = failed ? std::vector<double>() : SecondStarts(folder.path(), env);
    for (QProcess* helper : {&bus, &xvfb}) {
        helper->terminate();
        helper->waitForFinished(5000);
    }
    if (failed || handOvers.empty()) return 1;
    PrintResult("startup_first_frame", Median(ours), Median(theirs), "ms", 0.5);
    // A second start that finds the window running hands its folder over and
    // ends: against the first start of the same program.
    PrintLimit("startup_second_start_hand_over", Median(handOvers), Median(ours), "ms", 100);
    return 0;
}
