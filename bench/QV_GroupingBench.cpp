// Grouping 100,000 items by each key, from the request to the completion
// callback (keys, sections, hand-over and the layout of the new order), against
// a std::stable_sort of the same items by the same keys; medians of turns
// measured in the same run.

#include "QV_BenchSupport.h"

#include "data/QV_DataHolder.h"

#include <QEventLoop>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Count = 100000;

// Like the results of a search over a few hundred folders: captions with many
// first letters, a dozen type extensions, the texts shared as a listing shares
// them.
TItemList Items()
{
    const char* const exts[] = {".jpg", ".txt", ".png", ".pdf", ".doc", ".mp3", ".folder",
                                ".cpp", ".h",   ".zip", ".odt", ""};
    std::vector<QString> extTexts, dirTexts;
    for (const char* ext : exts) extTexts.push_back(QString::fromLatin1(ext));
    for (int d = 0; d < 300; ++d) dirTexts.push_back(QStringLiteral("/home/user/Projects/part %1/").arg(d));
    TItemList items;
    items.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        auto item = std::make_unique<TFileItem>();
        const int n = (i * 7919) % Count;
        item->ID_CAPTION = QStringLiteral("%1%2 file %3").arg(QChar(u'a' + n % 26)).arg(QChar(u'A' + n % 23)).arg(n);
        if (n % 97 == 0) item->ID_CAPTION.prepend(QChar(u'é'));
        item->ID_FILE_DATA.FD_EXT = extTexts[size_t(n % 12)];
        item->ID_FILE_DATA.FD_DIR = dirTexts[size_t((n / 7) % 300)];
        items.push_back(std::move(item));
    }
    return items;
}

void Run(TDataHolder& holder, const QString& key)
{
    QEventLoop loop;
    holder.OnGrouped = [&](TDataHolder*) { loop.quit(); };
    const auto group = [&] {
        holder.GroupItems(key, QString());
        loop.exec();
    };
    group();
    // Every member now carries its key.
    std::vector<const TItemData*> members;
    for (const auto& item : holder.Items())
        if (!item->IsGroup()) members.push_back(item.get());
    if (members.size() != size_t(Count)) std::abort();

    std::vector<double> reference, grouped;
    for (int turn = 0; turn < 7; ++turn) {
        reference.push_back(MedianMicros(1, [&] {
            std::vector<const TItemData*> order = members;
            std::stable_sort(order.begin(), order.end(),
                             [](const TItemData* a, const TItemData* b) { return a->ID_GROUP < b->ID_GROUP; });
            if (order.front() == nullptr) std::abort();
        }));
        grouped.push_back(MedianMicros(1, group));
    }
    PrintResult(("group_100k_" + key).toStdString(), MedianOf(grouped) / 1000, MedianOf(reference) / 1000, "ms", 3);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TDataHolder holder;
    holder.HandOverItems(Items());
    holder.On_Resize(1280, 800);
    for (const char* key : {"Name", "Ext", "Path"}) Run(holder, QString::fromLatin1(key));
    return 0;
}
