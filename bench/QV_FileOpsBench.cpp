// File operations as the paste and delete commands run them: a TFileJob on its
// task thread, its end reported to the interface thread, its progress read by a
// timer as the progress window does. Against coreutils' `cp -a` (one 1 GiB file;
// a tree of 10,000 small files in 100 folders) and `gio trash` (10,000 files,
// one call, the home trash under a temporary XDG_DATA_HOME). Warm cache, data in
// a temporary folder on the file system of /tmp, medians of three runs with the
// sides taking turns; the sources are on the disk before the timed runs. While
// the jobs run, a 1 ms
// timer on the interface thread notes its longest gap; the reference is the
// same timer with no job running.

#include "QV_BenchSupport.h"

#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_FileNames.h"
#include "shell/QV_FileJob.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

double MillisSince(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

std::string gRoot;  // the bench's own temporary folder, removed on any exit

[[noreturn]] void Die(const std::string& what)
{
    std::fprintf(stderr, "fileops bench: %s\n", what.c_str());
    if (!gRoot.empty()) (void)RemoveTree(DecodeFileName(QByteArray(gRoot.c_str())));
    std::exit(1);
}

void WriteFile(const std::string& path, const std::vector<char>& data, size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) Die("cannot create " + path);
    for (size_t done = 0; done < size;) {
        const size_t chunk = std::min(data.size(), size - done);
        const ssize_t n = ::write(fd, data.data(), chunk);
        if (n <= 0) Die("cannot write " + path);
        done += size_t(n);
    }
    ::close(fd);
}

// Flushes the file system of path, so the next timed run starts without dirty pages.
void Settle(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

void Remove(const std::string& path)
{
    if (TFsStatus gone = RemoveTree(DecodeFileName(QByteArray(path.c_str()))); !gone)
        Die("cannot remove " + path + ": " + gone.Error().Message().toStdString());
}

// Puts a finished copy aside until the end: ext4 looks long for a free inode
// among recently deleted ones, so removing each copy at once would slow the
// runs after it, on either side, by more than what is measured.
void Retire(const std::string& path)
{
    static int serial = 0;
    const std::string aside = gRoot + "/spent/" + std::to_string(++serial);
    if (::rename(path.c_str(), aside.c_str()) != 0) Die("cannot put aside " + path);
}

void MakeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0) Die("cannot create " + path);
}

// Wall time of one run of the program in ms; its output is thrown away.
double RunProgram(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const TClock::time_point start = TClock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) Die("cannot start " + args[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double ms = MillisSince(start);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Die(args[0] + " failed");
    return ms;
}

// The longest gap between the ticks of a 1 ms timer on the interface thread.
class TStallWatch {
public:
    TStallWatch()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const TClock::time_point now = TClock::now();
            const double gap = std::chrono::duration<double, std::milli>(now - last_).count();
            const double waited = RunQueueWaitMs();
            if (gap > LongestMs) {
                LongestMs = gap;
                LongestAtMs = std::chrono::duration<double, std::milli>(last_ - start_).count();
                LongestWaitMs = waited - lastWait_;
            }
            last_ = now;
            lastWait_ = waited;
        });
    }
    void Start()
    {
        start_ = last_ = TClock::now();
        lastWait_ = RunQueueWaitMs();
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    double LongestMs = 0;
    double LongestAtMs = 0;  // when the longest gap began, from the start
    double LongestWaitMs = 0;  // how much of it the thread was ready but had no processor

private:
    // The time this thread has spent runnable but not running (schedstat).
    static double RunQueueWaitMs()
    {
        char text[96] = {};
        const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
        if (fd < 0) return 0;
        const ssize_t n = ::read(fd, text, sizeof text - 1);
        ::close(fd);
        unsigned long long running = 0, waiting = 0;
        if (n <= 0 || std::sscanf(text, "%llu %llu", &running, &waiting) != 2) return 0;
        return double(waiting) / 1e6;
    }
    double lastWait_ = 0;

    QTimer timer_;
    TClock::time_point start_, last_;
};

struct TJobRun {
    double Ms = 0;
    double LongestGapMs = 0;
};

// One job from its start to its end callback, as the shell starts it; the
// interface thread sleeps until something arrives and reads the progress five
// times a second, as the progress window does.
TJobRun RunJob(TFileOpKind kind, const QStringList& sources, const QString& target)
{
    TFileJob job(kind, sources, target);
    bool ended = false;
    TFileOpResult result;
    job.OnFinished = [&](TFileJob&, const TFileOpResult& r) {
        result = r;
        ended = true;
    };
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { shown = ProgressSummary(job.Progress(), job.ElapsedMs()); });
    TStallWatch watch;
    TJobRun run;
    const TClock::time_point start = TClock::now();
    watch.Start();
    poll.start(200);
    job.Start();
    while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.Ms = MillisSince(start);
    watch.Stop();
    run.LongestGapMs = watch.LongestMs;
    std::fprintf(stderr, "  job of %.0f ms: longest gap %.1f ms (%.1f ms of it waiting for a processor), %.0f ms after the start\n",
                 run.Ms, watch.LongestMs, watch.LongestWaitMs, watch.LongestAtMs);
    if (result.Cancelled || !result.Failures.isEmpty() || result.Done != sources.size() || !result.NoTrash.isEmpty())
        Die("the job did not complete: " + result.Failures.join(QLatin1Char('\n')).toStdString());
    return run;
}

// The longest gap of the same timer over ms with no job running.
double IdleGap(double ms)
{
    TStallWatch watch;
    QEventLoop loop;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    watch.Start();
    loop.exec();
    watch.Stop();
    return watch.LongestMs;
}

std::vector<char> Pattern(size_t size)
{
    std::vector<char> data(size);
    std::mt19937 random(17);
    for (char& c : data) c = char(random());
    return data;
}

// 100 folders of 100 files of 1 to 8 KiB.
void MakeSmallTree(const std::string& root)
{
    const std::vector<char> data = Pattern(8192);
    MakeFolder(root);
    int serial = 0;
    for (int f = 0; f < 100; ++f) {
        const std::string folder = root + "/folder " + std::to_string(f);
        MakeFolder(folder);
        for (int i = 0; i < 100; ++i, ++serial)
            WriteFile(folder + "/file_" + std::to_string(i) + ".dat", data, size_t(1024 + (serial * 577) % 7169));
    }
}

// 10,000 files in one folder, as a selection. Empty: a move to the trash is a
// rename whatever the size, and empty files cost the disk nothing to remove.
std::vector<std::string> MakeFlatFiles(const std::string& folder)
{
    MakeFolder(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i) {
        paths.push_back(folder + "/note " + std::to_string(i) + ".txt");
        WriteFile(paths.back(), {}, 0);
    }
    return paths;
}

QStringList Paths(const std::vector<std::string>& paths)
{
    QStringList list;
    for (const std::string& path : paths) list.append(DecodeFileName(QByteArray(path.c_str())));
    return list;
}

int EntriesIn(const std::string& folder)
{
    const TFsResult<QStringList> names = FolderNames(DecodeFileName(QByteArray(folder.c_str())));
    return names ? int(names.Value().size()) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // "big", "small" or "trash" as arguments run only those parts (for profiling).
    const QStringList parts = QCoreApplication::arguments().mid(1);
    const auto Wanted = [&](const char* part) { return parts.isEmpty() || parts.contains(QLatin1String(part)); };
    char made[] = "/tmp/qv-bench-fileops-XXXXXX";
    if (!::mkdtemp(made)) Die("cannot make a temporary folder");
    const std::string root = made;
    gRoot = root;
    const QString rootPath = DecodeFileName(QByteArray(made));
    const std::string out = root + "/out";
    const QString outPath = rootPath + QStringLiteral("/out");
    // The home trash of this process and of gio: on the same file system as the files.
    const std::string dataHome = root + "/data";
    MakeFolder(dataHome);
    MakeFolder(root + "/spent");
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    const std::string trash = dataHome + "/Trash";
    double longestGap = 0, longestJobMs = 0;
    const auto noteGap = [&](const TJobRun& run) {
        longestGap = std::max(longestGap, run.LongestGapMs);
        longestJobMs = std::max(longestJobMs, run.Ms);
    };

    // One 1 GiB file. The copies go before the kernel writes them back, so
    // removing them costs no disk work; the source is on the disk first.
    std::vector<double> bigOurs, bigCp;
    if (Wanted("big")) {
        const std::string big = root + "/big.bin";
        WriteFile(big, Pattern(size_t(4) << 20), size_t(1) << 30);
        Settle(root);
        for (int i = 0; i < 3; ++i) {
            MakeFolder(out);
            const TJobRun run = RunJob(TFileOpKind::foCopy, {DecodeFileName(QByteArray(big.c_str()))}, outPath);
            Remove(out);
            MakeFolder(out);
            bigCp.push_back(RunProgram({"cp", "-a", big, out + "/"}));
            Remove(out);
            noteGap(run);
            bigOurs.push_back(run.Ms);
        }
        Remove(big);
        std::fprintf(stderr, "copy_1gib_file: ours %.0f ms, cp -a %.0f ms\n", MedianOf(bigOurs), MedianOf(bigCp));
    }

    // 10,000 small files in 100 folders; a first run of each side warms the caches.
    std::vector<double> smallOurs, smallCp;
    if (Wanted("small")) {
        const std::string tree = root + "/small";
        MakeSmallTree(tree);
        Settle(root);
        for (int i = 0; i < 4; ++i) {
            MakeFolder(out);
            const TJobRun run = RunJob(TFileOpKind::foCopy, {DecodeFileName(QByteArray(tree.c_str()))}, outPath);
            if (EntriesIn(out + "/small/folder 99") != 100) Die("the tree was not copied whole");
            Retire(out);
            MakeFolder(out);
            const double cp = RunProgram({"cp", "-a", tree, out + "/"});
            Retire(out);
            if (i == 0) continue;
            noteGap(run);
            smallOurs.push_back(run.Ms);
            smallCp.push_back(cp);
        }
        Remove(tree);
        std::fprintf(stderr, "copy_10000_small: ours %.0f ms, cp -a %.0f ms\n", MedianOf(smallOurs), MedianOf(smallCp));
    }

    // 10,000 files to the trash, each side starting from a flushed file system.
    std::vector<double> trashOurs, trashGio;
    if (Wanted("trash")) {
        const std::string flat = root + "/flat";
        for (int i = 0; i < 3; ++i) {
            std::vector<std::string> paths = MakeFlatFiles(flat);
            Settle(root);
            const TJobRun run = RunJob(TFileOpKind::foTrash, Paths(paths), QString());
            if (EntriesIn(trash + "/info") != 10000 || EntriesIn(flat) != 0) Die("our trash did not take every file");
            Retire(flat);
            Retire(trash);
            paths = MakeFlatFiles(flat);
            Settle(root);
            std::vector<std::string> args{"gio", "trash"};
            args.insert(args.end(), paths.begin(), paths.end());
            const double gio = RunProgram(args);
            if (EntriesIn(trash + "/info") != 10000 || EntriesIn(flat) != 0) Die("gio trash did not take every file");
            Retire(flat);
            Retire(trash);
            noteGap(run);
            trashOurs.push_back(run.Ms);
            trashGio.push_back(gio);
        }
        std::fprintf(stderr, "trash_10000: ours %.0f ms, gio trash %.0f ms\n", MedianOf(trashOurs), MedianOf(trashGio));
    }

    const double idleGap = IdleGap(std::min(longestJobMs, 5000.0));
    Remove(root);  // the bench made every file in it

    if (!bigOurs.empty()) PrintResult("copy_1gib_file", MedianOf(bigOurs), MedianOf(bigCp), "ms", 1.1);
    if (!smallOurs.empty()) PrintResult("copy_10000_small", MedianOf(smallOurs), MedianOf(smallCp), "ms", 1.1);
    if (!trashOurs.empty()) PrintResult("trash_10000", MedianOf(trashOurs), MedianOf(trashGio), "ms", 1.5);
    PrintLimit("ui_stall_fileops", longestGap, idleGap, "ms", 16);
    return 0;
}
