// Lists a folder of 100,000 files and compares the listing with a plain
// readdir + statx loop over the same folder, measured in the same run.

#include "QV_BenchSupport.h"

#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int FileCount = 100000;

std::string MakeFolder()
{
    char folder[] = "/tmp/qv-bench-dirlist-XXXXXX";
    if (!::mkdtemp(folder)) std::abort();
    // Mixed names: digit runs, letters in both cases, extensions.
    for (int i = 0; i < FileCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s/%s_%d.%s", folder, (i % 3) ? "IMG" : "holiday photo", (i * 7919) % FileCount,
                      (i % 5) ? "jpg" : "PNG");
        const int fd = ::open(name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) ::close(fd);
    }
    return folder;
}

void RemoveFolder(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* d = dir ? ::readdir(dir) : nullptr)
        if (d->d_name[0] != '.') ::unlinkat(dirfd(dir), d->d_name, 0);
    if (dir) ::closedir(dir);
    ::rmdir(folder.c_str());
}

} // namespace

int main()
{
    const std::string folder = MakeFolder();
    const QString path = DecodeFileName(QByteArray(folder.c_str()));
    volatile long long sink = 0;
    PlainReaddirStatx(folder); // warm the caches for both
    // The three are measured in turns, so that load from elsewhere on the machine
    // falls on all of them alike.
    std::vector<double> reference, sorted, unsorted;
    for (int run = 0; run < 7; ++run) {
        reference.push_back(MedianMicros(1, [&] { sink = sink + PlainReaddirStatx(folder); }));
        sorted.push_back(MedianMicros(1, [&] { sink = sink + qint64(ListDirectory(path).Entries.size()); }));
        unsorted.push_back(MedianMicros(
            1, [&] { sink = sink + qint64(ListDirectory(path, TDirOrder::doUnsorted).Entries.size()); }));
    }
    RemoveFolder(folder);
    PrintResult("dirlist_100k_sorted", MedianOf(sorted) / 1000, MedianOf(reference) / 1000, "ms", 1.5);
    PrintResult("dirlist_100k_unsorted", MedianOf(unsorted) / 1000, MedianOf(reference) / 1000, "ms", 1.5);
    return 0;
}
