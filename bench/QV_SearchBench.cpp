// A name search through the search holder (the walk, the hand-overs while it
// runs, the grouping by folder at the end) over a generated tree of 200,000
// entries in 20,000 folders, warm cache, against `fdfind -u -i --fixed-strings`
// where fd is installed and `find -iname` always, medians of runs measured in
// the same process. Also: the time from the start to the first result on the
// holder, the longest single turn of the interface thread while a search runs,
// and the memory each result takes.

#include "QV_BenchSupport.h"

#include "data/QV_SearchHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

// Processor time (user and system) of this process or of its ended children, in ms.
double CpuMs(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double MillisSince(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

const char* const Words[] = {"report", "photo", "invoice", "notes", "backup", "draft", "Data", "music",
                             "letter", "summary", "scan", "budget", "plan"};

// 200 folders of 99 folders each (20,000 folders); nine files in every one of
// them (180,000 files). One name in thirteen holds "data" in some case.
std::string MakeTree()
{
    char root[] = "/tmp/qv-bench-search-XXXXXX";
    if (!::mkdtemp(root)) std::abort();
    int serial = 0;
    const auto files = [&](const std::string& folder) {
        for (int f = 0; f < 9; ++f, ++serial) {
            const std::string name = folder + "/" + Words[serial % 13] + "_" + std::to_string(serial) + ".txt";
            const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0) ::close(fd);
        }
    };
    for (int top = 0; top < 200; ++top) {
        const std::string folder = std::string(root) + "/" + Words[top % 13] + "s " + std::to_string(top);
        ::mkdir(folder.c_str(), 0755);
        files(folder);
        for (int sub = 0; sub < 99; ++sub) {
            const std::string inner = folder + "/" + Words[(top + sub) % 13] + std::to_string(sub);
            ::mkdir(inner.c_str(), 0755);
            files(inner);
        }
    }
    return root;
}

bool Installed(const char* program)
{
    const std::string probe = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(probe.c_str()) == 0;
}

// Wall time of one run of the program with its output thrown away, in ms.
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
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double ms = MillisSince(start);
    posix_spawn_file_actions_destroy(&actions);
    return ms;
}

// Times every event the interface thread handles: a synchronized call of the
// worker arrives as one.
class TTimedApplication : public QGuiApplication {
public:
    using QGuiApplication::QGuiApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        const TClock::time_point start = TClock::now();
        const bool handled = QGuiApplication::notify(receiver, event);
        LongestMs = std::max(LongestMs, MillisSince(start));
        return handled;
    }
    double LongestMs = 0;
};

struct TSearchRun {
    double TotalMs = 0;
    double FirstResultMs = -1;
    double LongestTurnMs = 0;
    int Results = 0;
};

// One search from the press to its end; the interface thread sleeps until
// something arrives, as the program's does.
TSearchRun Search(TSearchHolder& holder, TTimedApplication& app)
{
    bool ended = false;
    holder.OnSearched = [&](TSearchHolder*) { ended = true; };
    TSearchRun run;
    app.LongestMs = 0;
    const TClock::time_point start = TClock::now();
    holder.Search();
    while (!ended) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (run.FirstResultMs < 0 && holder.ItemCount() > 0) run.FirstResultMs = MillisSince(start);
    }
    run.LongestTurnMs = app.LongestMs;
    run.TotalMs = MillisSince(start);
    for (const auto& item : holder.Items()) run.Results += !item->IsGroup();
    return run;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TTimedApplication app(argc, argv);
    Settings().Media.PlayNavSound = false;
    const std::string root = MakeTree();
    const QString path = DecodeFileName(QByteArray(root.c_str()));
    const bool haveFd = Installed("fdfind");

    const size_t heapBefore = mallinfo2().uordblks;
    std::vector<double> holderMs, firstMs, turnMs, findMs, fdMs, holderCpu, findCpu;
    int results = 0;
    size_t bytesPerResult = 0;
    {
        TSearchHolder holder;
        holder.On_Resize(1200, 800);
        holder.AddSearchName(QStringLiteral("data"));
        holder.SH_SEARCH_DATA->SD_PATHS = {path};
        Search(holder, app);  // warms the caches for every side
        RunProgram({"find", root, "-iname", "*data*"});
        for (int i = 0; i < 5; ++i) {
            const double cpuBefore = CpuMs(RUSAGE_SELF);
            const TSearchRun run = Search(holder, app);
            holderCpu.push_back(CpuMs(RUSAGE_SELF) - cpuBefore);
            results = run.Results;
            holderMs.push_back(run.TotalMs);
            firstMs.push_back(run.FirstResultMs);
            turnMs.push_back(run.LongestTurnMs);
            const double childBefore = CpuMs(RUSAGE_CHILDREN);
            findMs.push_back(RunProgram({"find", root, "-iname", "*data*"}));
            findCpu.push_back(CpuMs(RUSAGE_CHILDREN) - childBefore);
            if (haveFd) fdMs.push_back(RunProgram({"fdfind", "-u", "-i", "--fixed-strings", "data", root}));
        }
        bytesPerResult = results > 0 ? (mallinfo2().uordblks - heapBefore) / size_t(results) : 0;
    }
    // The bench made this tree itself; it holds no user files.
    QDir(path).removeRecursively();

    std::printf("search: %d results in 20,000 folders of 200,000 entries%s\n", results,
                haveFd ? "" : "; fdfind is not installed, find -iname is the reference");
    if (haveFd) {
        PrintResult("search_200k_vs_fd", MedianOf(holderMs), MedianOf(fdMs), "ms", 1.0);
        PrintComparison("search_200k_vs_find", MedianOf(holderMs), MedianOf(findMs), "ms");
    } else {
        PrintResult("search_200k_vs_find", MedianOf(holderMs), MedianOf(findMs), "ms", 1.0);
    }
    // The search runs at the lowest priority, find at the normal one: on a busy
    // machine the wall times mostly measure that; the processor time does not.
    PrintComparison("search_200k_cpu_vs_find", MedianOf(holderCpu), MedianOf(findCpu), "ms");
    PrintFigureLimit("search_first_result", MedianOf(firstMs), "ms", 100);
    double longest = 0;
    for (double ms : turnMs) longest = std::max(longest, ms);
    PrintFigureLimit("search_longest_ui_turn", longest, "ms", 16);
    PrintFigure("search_memory_per_result", double(bytesPerResult), "B");
    return 0;
}
