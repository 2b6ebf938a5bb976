// File operations as the paste and delete commands run them: a TFileJob on its
// task thread, its end reported to the interface thread, its progress read by a
// timer as the progress window does. Against coreutils' `cp -a` (one 1 GiB file;
// a tree of 10,000 small files in 100 folders) and `gio trash` (10,000 files,
// one call, the home trash under a temporary XDG_DATA_HOME). Warm cache, data in
// a temporary folder on the file system of /tmp, medians of a few runs with the
// sides taking turns; the file system is flushed before each timed run so no
// run pays for the writeback of the one before. While the jobs run, a 1 ms
// timer on the interface thread notes its longest gap; the reference is the
// same timer with no job running.

#include "QV_BenchSupport.h"

#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_FileNames.h"
#include "shell/QV_FileJob.h"

#include <QCoreApplication>
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
            LongestMs = std::max(LongestMs, std::chrono::duration<double, std::milli>(now - last_).count());
            last_ = now;
        });
    }
    void Start()
    {
        last_ = TClock::now();
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    double LongestMs = 0;

private:
    QTimer timer_;
    TClock::time_point last_;
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
    if (result.Cancelled || !result.Failures.isEmpty() || result.Done != sources.size() || !result.NoTrash.isEmpty())
        Die("the job did not complete: " + result.Failures.join(QLatin1Char('\n')).toStdString());
    return run;
}

// The longest gap of the same timer over ms with no job running.
double IdleGap(double ms)
{
    TStallWatch watch;
    watch.Start();
    const TClock::time_point start = TClock::now();
    while (MillisSince(start) < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
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

// 10,000 files of a few hundred bytes in one folder, as a selection.
std::vector<std::string> MakeFlatFiles(const std::string& folder)
{
    const std::vector<char> data = Pattern(512);
    MakeFolder(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i) {
        paths.push_back(folder + "/note " + std::to_string(i) + ".txt");
        WriteFile(paths.back(), data, size_t(100 + i % 400));
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
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    const std::string trash = dataHome + "/Trash";
    double longestGap = 0, longestJobMs = 0;
    const auto noteGap = [&](const TJobRun& run) {
        longestGap = std::max(longestGap, run.LongestGapMs);
        longestJobMs = std::max(longestJobMs, run.Ms);
    };

    // One 1 GiB file.
    std::vector<double> bigOurs, bigCp;
    {
        const std::string big = root + "/big.bin";
        WriteFile(big, Pattern(size_t(4) << 20), size_t(1) << 30);
        for (int i = 0; i < 4; ++i) {  // the first run of each side warms the cache
            MakeFolder(out);
            Settle(root);
            const TJobRun run = RunJob(TFileOpKind::foCopy, {DecodeFileName(QByteArray(big.c_str()))}, outPath);
            Remove(out);
            MakeFolder(out);
            Settle(root);
            const double cp = RunProgram({"cp", "-a", big, out + "/"});
            Remove(out);
            if (i == 0) continue;
            noteGap(run);
            bigOurs.push_back(run.Ms);
            bigCp.push_back(cp);
        }
        Remove(big);
    }

    // 10,000 small files in 100 folders.
    std::vector<double> smallOurs, smallCp;
    {
        const std::string tree = root + "/small";
        MakeSmallTree(tree);
        for (int i = 0; i < 6; ++i) {
            MakeFolder(out);
            Settle(root);
            const TJobRun run = RunJob(TFileOpKind::foCopy, {DecodeFileName(QByteArray(tree.c_str()))}, outPath);
            if (EntriesIn(out + "/small/folder 99") != 100) Die("the tree was not copied whole");
            Remove(out);
            MakeFolder(out);
            Settle(root);
            const double cp = RunProgram({"cp", "-a", tree, out + "/"});
            Remove(out);
            if (i == 0) continue;
            noteGap(run);
            smallOurs.push_back(run.Ms);
            smallCp.push_back(cp);
        }
        Remove(tree);
    }

    // 10,000 files to the trash.
    std::vector<double> trashOurs, trashGio;
    {
        const std::string flat = root + "/flat";
        for (int i = 0; i < 4; ++i) {
            std::vector<std::string> paths = MakeFlatFiles(flat);
            Settle(root);
            const TJobRun run = RunJob(TFileOpKind::foTrash, Paths(paths), QString());
            if (EntriesIn(trash + "/info") != 10000 || EntriesIn(flat) != 0) Die("our trash did not take every file");
            Remove(flat);
            Remove(trash);
            paths = MakeFlatFiles(flat);
            Settle(root);
            std::vector<std::string> args{"gio", "trash"};
            args.insert(args.end(), paths.begin(), paths.end());
            const double gio = RunProgram(args);
            if (EntriesIn(trash + "/info") != 10000 || EntriesIn(flat) != 0) Die("gio trash did not take every file");
            Remove(flat);
            Remove(trash);
            if (i == 0) continue;
            noteGap(run);
            trashOurs.push_back(run.Ms);
            trashGio.push_back(gio);
        }
    }

    const double idleGap = IdleGap(std::min(longestJobMs, 5000.0));
    Remove(root);  // the bench made every file in it

    PrintResult("copy_1gib_file", MedianOf(bigOurs), MedianOf(bigCp), "ms", 1.1);
    PrintResult("copy_10000_small", MedianOf(smallOurs), MedianOf(smallCp), "ms", 1.1);
    PrintResult("trash_10000", MedianOf(trashOurs), MedianOf(trashGio), "ms", 1.5);
    PrintLimit("ui_stall_fileops", longestGap, idleGap, "ms", 16);
    return 0;
}
