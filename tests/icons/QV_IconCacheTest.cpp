#include "icons/QV_IconCache.h"

#include "icons/QV_IconSources.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<const TSourceData> Source(const QString& id)
{
    auto source = std::make_shared<TSourceData>();
    source->SD_ID = id;
    source->SD_IMAGE = TBitmap32(2, 2);
    return source;
}

// Fills the cache with `files` per-file sources in /old and the given keys.
void Fill(TSourceCache& cache, int files, const QStringList& keys)
{
    for (const QString& key : keys) cache.Add(Source(key));
    for (int i = 0; i < files; ++i) cache.Add(Source(QStringLiteral("/old/f%1.png").arg(i)));
}

TEST(IconCache, TrimmingStartsAtThresholdAndKeepsTypesAndShownFolders)
{
    const QStringList keys{".txt", "<Group>", "/a.png", "/shown/x.jpg", "/shown/deeper/y.jpg"};
    const int below = kTrimThreshold - int(keys.size());
    struct {
        const char* Name;
        int Files;
        QStringList Places;
        QStringList Kept;  // of keys
        int OldKept;
    } const cases[] = {
        {"below the threshold nothing goes", below - 1, {}, keys, below - 1},
        {"at the threshold every unshown file goes", below, {}, {".txt", "<Group>"}, 0},
        {"a shown folder keeps its own files only", kTrimThreshold, {"/shown/"}, {".txt", "<Group>", "/shown/x.jpg"}, 0},
        {"the root without delimiter and the old folder stay", kTrimThreshold, {"/", "/old"},
         {".txt", "<Group>", "/a.png"}, kTrimThreshold},
    };
    for (const auto& c : cases) {
        TSourceCache cache;
        Fill(cache, c.Files, keys);
        cache.Trim(c.Places);
        QStringList kept;
        for (const QString& key : keys)
            if (cache.Contains(key)) kept << key;
        EXPECT_EQ(kept, c.Kept) << c.Name;
        EXPECT_EQ(cache.Count(), int(c.Kept.size()) + c.OldKept) << c.Name;
    }
}

TEST(IconCache, SourceHeldByAPassOutlivesTrimmingAndFirstBuiltWins)
{
    TSourceCache cache;
    Fill(cache, kTrimThreshold, {});
    const auto held = cache.Find("/old/f0.png");
    cache.Trim({});
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(held->SD_IMAGE.Width(), 2);

    const auto first = cache.Add(Source(".txt"));
    EXPECT_EQ(cache.Add(Source(".txt")), first);
    EXPECT_EQ(cache.Count(), 1);
}

TEST(IconCache, ProportionalFitFollowsTheLongerSide)
{
    struct {
        QSize In, Box, Out;
    } const cases[] = {
        {{200, 100}, {50, 50}, {50, 25}},   {{100, 200}, {50, 50}, {25, 50}},
        {{100, 100}, {30, 60}, {60, 60}},   {{1024, 768}, {128, 128}, {128, 96}},
        {{0, 0}, {40, 40}, {40, 40}},       {{1000, 1}, {40, 40}, {40, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProportionalSize(c.In.width(), c.In.height(), c.Box.width(), c.Box.height()), c.Out) << c.In.width();
}

} // namespace
