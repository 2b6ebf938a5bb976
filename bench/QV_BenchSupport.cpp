#include "QV_BenchSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

void PrintResult(const std::string& name, double figure, double reference, const std::string& unit,
                 double target)
{
    const double ratio = reference > 0 ? figure / reference : 0;
    std::printf("RESULT %s figure=%.4g%s reference=%.4g%s ratio=%.3f target<=%.3g\n", name.c_str(), figure,
                unit.c_str(), reference, unit.c_str(), ratio, target);
    std::fflush(stdout);
}

void PrintLimit(const std::string& name, double figure, double reference, const std::string& unit, double limit)
{
    const double ratio = reference > 0 ? figure / reference : 0;
    std::printf("RESULT %s figure=%.4g%s reference=%.4g%s ratio=%.3f target<=%.6g%s\n", name.c_str(), figure,
                unit.c_str(), reference, unit.c_str(), ratio, limit, unit.c_str());
    std::fflush(stdout);
}

void PrintFigureLimit(const std::string& name, double figure, const std::string& unit, double limit)
{
    std::printf("RESULT %s figure=%.4g%s reference=n/a ratio=n/a target<=%.6g%s\n", name.c_str(), figure,
                unit.c_str(), limit, unit.c_str());
    std::fflush(stdout);
}

void PrintFigure(const std::string& name, double figure, const std::string& unit)
{
    std::printf("RESULT %s figure=%.4g%s reference=n/a ratio=n/a target<=n/a\n", name.c_str(), figure,
                unit.c_str());
    std::fflush(stdout);
}

void PrintComparison(const std::string& name, double figure, double reference, const std::string& unit)
{
    const double ratio = reference > 0 ? figure / reference : 0;
    std::printf("RESULT %s figure=%.4g%s reference=%.4g%s ratio=%.3f target<=n/a\n", name.c_str(), figure,
                unit.c_str(), reference, unit.c_str(), ratio);
    std::fflush(stdout);
}

long long PlainReaddirStatx(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    long long total = 0;
    while (const dirent* d = dir ? ::readdir(dir) : nullptr) {
        struct statx sx {};
        if (::statx(dirfd(dir), d->d_name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
                    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME, &sx) == 0)
            total += sx.stx_size + 1;
    }
    if (dir) ::closedir(dir);
    return total;
}

double MedianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool UseOwnProgramFolder(const std::string& folder, const std::string& settingsLines)
{
    const std::string data = folder + "/Data";
    if (::mkdir(data.c_str(), 0755) != 0 && errno != EEXIST) return false;
    const std::string text = "[Qorvel]\n" + settingsLines;
    FILE* file = std::fopen((data + "/Settings.QVS").c_str(), "w");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written && ::chdir(folder.c_str()) == 0;
}
