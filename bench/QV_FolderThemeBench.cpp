// Entering a folder whose own ThemeData.QVS is a hostile 63 MB of "a=b" lines,
// against entering the same folder without it, measured in the same run: the
// CPU time the interface thread spends from the navigation until the folder
// is listed and its theme has arrived. Waiting costs the thread no CPU time,
// so what a worker does off it does not count.

#include "QV_BenchSupport.h"

#include "data/QV_FileHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/QV_Threads.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <time.h>

#include <cstdlib>
#include <vector>

namespace {

double ThreadCpuMs()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void MakeFolder(const QString& folder, bool hostile)
{
    QDir().mkpath(folder);
    for (int i = 0; i < 200; ++i) {
        QFile file(folder + QStringLiteral("/file%1.txt").arg(i));
        if (!file.open(QIODevice::WriteOnly)) std::abort();
    }
    if (!hostile) return;
    QFile theme(folder + QStringLiteral("/ThemeData.QVS"));
    if (!theme.open(QIODevice::WriteOnly)) std::abort();
    QByteArray block = "[FileHolder]\n";
    while (block.size() < (1 << 20)) block += "a=b\n";
    for (int mb = 0; mb < 63; ++mb)
        if (theme.write(block) != block.size()) std::abort();
}

// One entry, from the navigation until the listing and the theme are in.
double Enter(TFileHolder& holder, const QString& folder)
{
    bool listed = false;
    holder.OnListed = [&](TFileHolder*) { listed = true; };
    const double start = ThreadCpuMs();
    holder.Path_GoTo(folder);
    ServeUntil(
        [&] {
            TSmartTask* theme = nullptr;
            return listed && !(holder.TaskManager->GetTask(QStringLiteral("ThemeLoad"), theme) && theme->Running());
        },
        TServeMode::smCallsAndEvents);
    return ThreadCpuMs() - start;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Settings().Media.PlayNavSound = false;
    QTemporaryDir root(QStringLiteral("/tmp/qv-bench-foldertheme-XXXXXX"));
    if (!root.isValid()) return 1;
    const QString plain = root.path() + QStringLiteral("/plain");
    const QString hostile = root.path() + QStringLiteral("/hostile");
    MakeFolder(plain, false);
    MakeFolder(hostile, true);

    TFileHolder holder;
    holder.On_Resize(1200, 800);
    std::vector<double> reference, entered;
    Enter(holder, hostile);  // warm the caches for both
    Enter(holder, plain);
    for (int run = 0; run < 9; ++run) {
        reference.push_back(Enter(holder, plain));
        entered.push_back(Enter(holder, hostile));
    }
    PrintLimit("enter_hostile_theme_folder", MedianOf(entered), MedianOf(reference), "ms", 16);
    return 0;
}
