// The icon passes of a file holder, each from SetIcons to the last icon
// published, with a fresh icon manager (empty cache) every turn:
//   - the S pass over 300 photographs against a plain libjpeg-turbo loop that
//     reads and decodes the same files at quarter scale, fast;
//   - the longest gap between 1 ms timer ticks on the main thread while that
//     pass runs, against the same main loop left idle;
//   - the G pass over 10,000 files of 50 types: decodes and time;
//   - the bytes the cache and a holder's copies take for 1,000 photographs.

#include "QV_BenchPhotos.h"
#include "QV_BenchSupport.h"

#include "data/QV_FileHolder.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "icons/QV_IconManager.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) std::abort();
}

bool AllIconsReady(const TDataHolder& holder)
{
    for (const auto& item : holder.Items())
        if (!item->ID_ICON_READY.load(std::memory_order_acquire)) return false;
    return true;
}

struct TRun {
    double Millis = 0;    // SetIcons to the last icon published
    double LongestGap = 0; // between main-loop ticks, ms
};

// Serves the main loop with a 1 ms timer until done() holds (or, without
// work, for idleMs), recording the longest gap between two ticks.
TRun ServeLoop(const std::function<void()>& start, const std::function<bool()>& done, int idleMs = 0)
{
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QElapsedTimer clock;
    TRun run;
    qint64 last = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        run.LongestGap = std::max(run.LongestGap, double(now - last) / 1e6);
        last = now;
        if (done ? done() : now >= qint64(idleMs) * 1000000) {
            run.Millis = double(now) / 1e6;
            loop.quit();
        }
    });
    clock.start();
    if (start) start();
    tick.start();
    loop.exec();
    return run;
}

// Lists the folder into the holder without icons.
void List(TFileHolder& holder, const QString& folder)
{
    QEventLoop loop;
    holder.OnListed = [&](TFileHolder*) { loop.quit(); };
    holder.BuildList(folder);
    loop.exec();
    holder.OnListed = nullptr;
}

TRun IconPass(TFileHolder& holder, const QString& folder, int* decodes = nullptr)
{
    // The caller brings a fresh holder too: its copies would otherwise be reused.
    TIconManager manager;
    manager.OpenPlaces = [&] { return QStringList{folder}; };
    const TRun run = ServeLoop([&] { manager.SetIcons(&holder); }, [&] { return AllIconsReady(holder); });
    if (decodes) *decodes = manager.Sources().Decodes.load();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Settings().Media.PlayNavSound = false;

    const QString root = QDir::tempPath() + QStringLiteral("/qv-bench-icons-%1").arg(QCoreApplication::applicationPid());
    const QString theme = root + QStringLiteral("/Data/Themes/FileIcons/Bench");
    QDir().mkpath(theme);
    TAliasNames names = AliasNames();
    names.AppPath = root;
    names.FilesTheme = QStringLiteral("Bench");
    SetAliasNames(names);
    TBitmap32 picture(48, 48);
    picture.Clear(0xFF336699);
    for (const char* name : {"unknown.png", "UnknownExe.png", "folder.png"}) Write(theme + '/' + name, EncodePng(picture));
    for (int type = 0; type < 50; ++type) Write(theme + QStringLiteral("/t%1.png").arg(type), EncodePng(picture));

    // (a) 300 photographs: the S pass against the plain loop, and the stalls.
    const QString photos = root + QStringLiteral("/photos");
    QDir().mkpath(photos);
    std::vector<QByteArray> encoded;
    std::vector<QString> photoPaths;
    for (int i = 0; i < 300; ++i) {
        encoded.push_back(EncodeJpeg(BenchPhoto(i * 3 + 1), 85));
        photoPaths.push_back(photos + QStringLiteral("/IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        Write(photoPaths.back(), encoded.back());
    }
    std::vector<unsigned char> buffer;
    volatile std::size_t sink = 0;
    // The plain loop reads each file whole and decodes it, as ours does.
    const auto plain = [&] {
        for (const QString& path : photoPaths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) std::abort();
            sink = sink + PlainQuarterDecode(file.readAll(), buffer);
        }
    };
    plain();  // warm the page cache for both sides
    std::vector<double> figure, reference, stall, idle;
    for (int round = 0; round < 5; ++round) {
        TFileHolder holder;
        holder.On_Resize(1200, 800);
        List(holder, photos);
        const TRun run = IconPass(holder, photos);
        figure.push_back(run.Millis);
        stall.push_back(run.LongestGap);
        reference.push_back(MedianMicros(1, plain) / 1000);
        idle.push_back(ServeLoop(nullptr, nullptr, int(run.Millis) + 1).LongestGap);
    }
    PrintResult("icons_s_300_jpeg", MedianOf(figure), MedianOf(reference), "ms", 1.3);
    PrintLimit("icons_main_stall", *std::max_element(stall.begin(), stall.end()),
               *std::max_element(idle.begin(), idle.end()), "ms", 16);

    // (b) 10,000 files of 50 types: one decode a type.
    const QString typed = root + QStringLiteral("/typed");
    QDir().mkpath(typed);
    for (int i = 0; i < 10000; ++i) Write(typed + QStringLiteral("/f%1.t%2").arg(i).arg(i % 50), QByteArray());
    {
        int decodes = 0;
        std::vector<double> times;
        for (int round = 0; round < 3; ++round) {
            TFileHolder fresh;
            fresh.On_Resize(1200, 800);
            List(fresh, typed);
            times.push_back(IconPass(fresh, typed, &decodes).Millis);
        }
        // One decode a type: 50 at most.
        PrintFigureLimit("icons_g_10000_files_50_types_decodes", decodes, "", 50);
        PrintFigure("icons_g_10000_files_50_types_time", MedianOf(times), "ms");
    }

    // (c) 1,000 photographs: what the cache and one holder's copies hold.
    const QString many = root + QStringLiteral("/many");
    QDir().mkpath(many);
    for (int i = 0; i < 1000; ++i) Write(many + QStringLiteral("/P%1.jpg").arg(i), encoded[size_t(i) % encoded.size()]);
    {
        TFileHolder holder;
        holder.On_Resize(1200, 800);
        List(holder, many);
        TIconManager manager;
        manager.OpenPlaces = [&] { return QStringList{many}; };
        ServeLoop([&] { manager.SetIcons(&holder); }, [&] { return AllIconsReady(holder) && !manager.Trimming(); });
        PrintFigure("icons_1000_photos_source_bytes", double(manager.Sources().Bytes()) / (1 << 20), "MiB");
        PrintFigure("icons_1000_photos_destination_bytes", double(holder.DH_ICONS_S.Bytes()) / (1 << 20), "MiB");
    }

    // The bench made this folder itself; it holds no user files.
    QDir(root).removeRecursively();
    return 0;
}
