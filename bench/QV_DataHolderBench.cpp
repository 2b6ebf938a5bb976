// A data holder with 100,000 items: arranging them, painting the view, a frame
// of a wheel scroll, a hover and a click, each against the same work with 1,000 items; and
// the memory an item takes when built from a real listing of 100,000 files.

#include "QV_BenchSupport.h"

#include "data/QV_DataHolder.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileNames.h"

#include <QDir>
#include <QGuiApplication>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

constexpr int ManyItems = 100000;
constexpr int FewItems = 1000;

std::string MakeFolder(int count)
{
    char folder[] = "/tmp/qv-bench-holder-XXXXXX";
    if (!::mkdtemp(folder)) std::abort();
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s/photo %d.%s", folder, i, (i % 5) ? "jpg" : "txt");
        const int fd = ::open(name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) ::close(fd);
    }
    return folder;
}

long ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

TItemList Items(int count)
{
    TItemList items;
    items.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        auto item = std::make_unique<TFileItem>();
        item->ID_FILE_DATA.FD_NAME = QStringLiteral("photo %1.jpg").arg(i);
        item->ID_FILE_DATA.FD_SIZE = 1000;
        item->CreateCaption();
        items.push_back(std::move(item));
    }
    return items;
}

struct TTimes {
    double Arrange, Paint, Wheel, Hover, Click;
};

TTimes Measure(int count)
{
    TDataHolder holder;
    holder.HandOverItems(Items(count));
    holder.On_Resize(1280, 800);
    TTimes t{};
    t.Arrange = MedianMicros(5, [&] { holder.Arrange(); });
    // The middle of the list, where a paint finds its items by search.
    holder.DH_SCROLL_POS = holder.DH_SCROLL_MAX / 2;
    TBitmap32 canvas(1280, 800);
    t.Paint = MedianMicros(9, [&] { holder.On_Paint(canvas); });
    // A notch and one frame that moves all of it, with the repaint it asks for.
    int direction = 120;
    t.Wheel = MedianMicros(9, [&] {
        TWMMouseWheel msg{0, direction = -direction, 400, 400};
        holder.On_MouseWheel(msg);
        holder.WheelFrame(std::numeric_limits<qint64>::max() / 2);
        holder.On_Paint(canvas);
    });
    int x = 0;
    t.Hover = MedianMicros(21, [&] {
        x = x == 125 ? 305 : 125;  // from one item to its neighbour
        holder.On_MouseMove(0, x, 300);
    });
    int y = 0;
    t.Click = MedianMicros(21, [&] {
        y = y == 300 ? 370 : 300;
        holder.On_MouseDown(mbLeft, 0, 125, y);
        holder.On_MouseUp(mbLeft, 0, 125, y);
    });
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    // First, while the heap holds nothing freed that the items could reuse.
    const std::string folder = MakeFolder(ManyItems);
    const QString path = DecodeFileName(QByteArray(folder.c_str())) + '/';
    const long before = ResidentBytes();
    TItemList listed;
    {
        const TDirListing listing = ListDirectory(path);
        listed.reserve(listing.Entries.size());
        for (const TDirEntry& entry : listing.Entries) listed.push_back(CreateListedItem(entry, path));
    }
    const long after = ResidentBytes();
    PrintFigureLimit("holder_bytes_per_listed_item", double(after - before) / double(listed.size()), "B", 600);
    // The bench made this folder itself; it holds no user files.
    QDir(QString::fromStdString(folder)).removeRecursively();
    listed.clear();

    const TTimes few = Measure(FewItems);
    const TTimes many = Measure(ManyItems);
    PrintComparison("holder_arrange_100k_vs_1k", many.Arrange, few.Arrange, "us");
    PrintResult("holder_paint_100k_vs_1k", many.Paint, few.Paint, "us", 2.0);
    // One frame is the limit for each of these with the large list.
    PrintLimit("holder_wheel_frame_100k_vs_1k", many.Wheel, few.Wheel, "us", 16000);
    PrintLimit("holder_hover_100k_vs_1k", many.Hover, few.Hover, "us", 16000);
    PrintLimit("holder_click_100k_vs_1k", many.Click, few.Click, "us", 16000);

    return 0;
}
