// Lists a folder through the file holder's listing task (items created, folders
// moved first, handed over and arranged, until the completion callback) against
// a plain readdir + statx loop over the same folder, warm cache, medians of
// turns measured in the same run.

#include "QV_BenchSupport.h"

#include "data/QV_FileHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileNames.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// One entry in a hundred is a folder, spread over the name order.
std::string MakeFolder(int count)
{
    char folder[] = "/tmp/qv-bench-fileholder-XXXXXX";
    if (!::mkdtemp(folder)) std::abort();
    for (int i = 0; i < count; ++i) {
        char name[80];
        std::snprintf(name, sizeof name, "%s/%s_%d%s", folder, (i % 3) ? "IMG" : "holiday photo", (i * 7919) % count,
                      (i % 100) ? ".jpg" : "");
        if (i % 100 == 0) {
            ::mkdir(name, 0755);
        } else {
            const int fd = ::open(name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0) ::close(fd);
        }
    }
    return folder;
}

// The target holds for the large folder; the small one is reported.
void Run(int count, const char* name, bool target)
{
    const std::string folder = MakeFolder(count);
    const QString path = DecodeFileName(QByteArray(folder.c_str()));
    TFileHolder holder;
    holder.On_Resize(1200, 800);
    QEventLoop loop;
    holder.OnListed = [&](TFileHolder*) { loop.quit(); };
    const auto listThroughHolder = [&] {
        holder.BuildList(path);
        loop.exec();
    };
    volatile long long sink = 0;
    PlainReaddirStatx(folder);  // warm the caches for both
    listThroughHolder();
    if (holder.ItemCount() != count) std::abort();
    std::vector<double> reference, listed;
    for (int run = 0; run < 7; ++run) {
        reference.push_back(MedianMicros(1, [&] { sink = sink + PlainReaddirStatx(folder); }));
        listed.push_back(MedianMicros(1, listThroughHolder));
    }
    // The bench made this folder itself; it holds no user files.
    QDir(QString::fromStdString(folder)).removeRecursively();
    if (target) PrintResult(name, MedianOf(listed) / 1000, MedianOf(reference) / 1000, "ms", 1.5);
    else PrintComparison(name, MedianOf(listed) / 1000, MedianOf(reference) / 1000, "ms");
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Settings().Media.PlayNavSound = false;
    Run(10000, "list_10k", false);
    Run(100000, "list_100k", true);
    return 0;
}
