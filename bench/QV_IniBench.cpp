// The cost of one INI write against the bare cost of replacing a file safely, and
// the cost of loading a settings-sized file into the memory reader.

#include "QV_BenchSupport.h"

#include "platform/ini/QV_IniFile.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray SettingsFile()
{
    QByteArray text = "[Qorvel]\n";
    const char* groups[] = {"Theming", "StartUp", "Media", "Window", "Mouse", "Browsing", "General",
                            "QuickBar", "ActionBar", "PathBar", "SmartEdit", "SmartTabs", "SmartMenu"};
    for (const char* group : groups)
        text += QByteArray(group) + "=Alpha(1), Beta(250), Gamma(Default), Delta($FFFFFF), Epsilon(0)\n";
    text += "\n[LastSession]\n";
    for (int i = 0; i < 12; ++i) text += "Tab" + QByteArray::number(i) + "=Path(/home/user/folder " + QByteArray::number(i) + ")\n";
    text += "\n[RecentTabs]\n";
    for (int i = 0; i < 10; ++i) text += "Recent" + QByteArray::number(i) + "=Path(/srv/data/" + QByteArray::number(i) + ")\n";
    return text;
}

void WriteFile(const QByteArray& path, const QByteArray& bytes)
{
    FILE* f = std::fopen(path.constData(), "wb");
    if (!f || std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) != size_t(bytes.size())) std::abort();
    std::fclose(f);
}

// The reference: the same bytes to a temporary file, fsync, rename.
void ReplaceWithPosix(const QByteArray& path, const QByteArray& temp, const QByteArray& bytes)
{
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fsync(fd) != 0)
        std::abort();
    ::close(fd);
    if (::rename(temp.constData(), path.constData()) != 0) std::abort();
}

} // namespace

int main()
{
    char folder[] = "/tmp/qv-bench-ini-XXXXXX";
    if (!::mkdtemp(folder)) return 1;
    const QByteArray ini = QByteArray(folder) + "/Settings.QVS";
    const QByteArray plain = QByteArray(folder) + "/Plain.QVS";
    const QByteArray temp = QByteArray(folder) + "/Plain.tmp";
    WriteFile(ini, SettingsFile());
    const QString iniPath = QString::fromLocal8Bit(ini);

    // Both sides alternate between two contents of the same size, so every run
    // really replaces the file.
    const QString values[] = {QStringLiteral("ClickDelay(250), WheelScroll(5)"),
                              QStringLiteral("ClickDelay(300), WheelScroll(7)")};
    QByteArray contents[2];
    for (int i = 0; i < 2; ++i) {
        IniWriteString(iniPath, QStringLiteral("Qorvel"), QStringLiteral("Mouse"), values[i]);
        FILE* f = std::fopen(ini.constData(), "rb");
        char buffer[8192];
        contents[i] = QByteArray(buffer, qsizetype(std::fread(buffer, 1, sizeof buffer, f)));
        std::fclose(f);
    }

    constexpr int rounds = 5, runs = 40;
    double write = 0, reference = 0;
    int flip = 0;
    for (int round = 0; round < rounds; ++round) {
        write += MedianMicros(runs, [&] {
            IniWriteString(iniPath, QStringLiteral("Qorvel"), QStringLiteral("Mouse"), values[flip ^= 1]);
        });
        reference += MedianMicros(runs, [&] { ReplaceWithPosix(plain, temp, contents[flip ^= 1]); });
    }
    PrintResult("ini_write", write / rounds, reference / rounds, "us", 1.5);

    const double load = MedianMicros(2000, [&] {
        const TMemIniFile file(iniPath);
        if (file.ReadString(QStringLiteral("Qorvel"), QStringLiteral("Mouse"), {}).isEmpty()) std::abort();
    });
    PrintFigure("ini_memload", load, "us");

    std::remove(ini.constData());
    std::remove(plain.constData());
    ::rmdir(folder);
    return 0;
}
