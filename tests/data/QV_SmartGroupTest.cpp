#include "data/QV_DataHolder.h"

#include "data/QV_FileHolder.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/image/QV_Bitmap32.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QSet>

#include <set>

namespace {

struct TItemRow {
    QString Caption;
    QString Ext;
    QString Dir;
};

TItemList MakeItems(const std::vector<TItemRow>& rows)
{
    TItemList items;
    for (const TItemRow& row : rows) {
        auto item = std::make_unique<TFileItem>();
        item->ID_CAPTION = row.Caption;
        item->ID_FILE_DATA.FD_NAME = row.Caption;
        item->ID_FILE_DATA.FD_EXT = row.Ext;
        item->ID_FILE_DATA.FD_DIR = row.Dir;
        items.push_back(std::move(item));
    }
    return items;
}

// The list as a line: "[key]" for a visible header, "(key)" for a hidden one,
// then the captions of its members. Checks on the way what every header and
// member must carry.
QString Layout(const TDataHolder& holder)
{
    QStringList parts;
    QString key;
    for (const auto& item : holder.Items()) {
        if (const auto* header = dynamic_cast<const TGroupData*>(item.get())) {
            EXPECT_EQ(header->ID_FILE_DATA.FD_EXT, "<Group>");
            EXPECT_EQ(header->ID_GROUP, header->ID_CAPTION);
            EXPECT_TRUE(header->GD_COLLAPSED);
            key = header->ID_GROUP;
            parts << (header->ID_VISIBLE ? "[" + key + "]" : "(" + key + ")");
        } else {
            EXPECT_EQ(item->ID_GROUP, key) << item->ID_CAPTION.toStdString();
            parts << item->ID_CAPTION;
        }
    }
    return parts.join(' ');
}

class SmartGroup : public ::testing::Test {
protected:
    void SetUp() override
    {
        holder_.On_Resize(1000, 600);
        holder_.OnGrouped = [this](TDataHolder*) { ++grouped_; };
    }

    TQvContextScope context_;

    void Fill(const std::vector<TItemRow>& rows)
    {
        holder_.HandOverItems(MakeItems(rows));
        holder_.Arrange();
    }
    void Group(const QString& value)
    {
        const int before = grouped_;
        holder_.GroupItems(value, "");
        ASSERT_TRUE(WaitUntil([&] { return grouped_ > before; })) << value.toStdString();
    }
    std::set<const TItemData*> Members() const
    {
        std::set<const TItemData*> members;
        for (const auto& item : holder_.Items())
            if (!item->IsGroup()) members.insert(item.get());
        return members;
    }

    TDataHolder holder_;
    int grouped_ = 0;
};

struct TGroupCase {
    const char* Name;
    std::vector<TItemRow> Items;
    const char* Value;
    QString Expected;
};

TEST_F(SmartGroup, SectionsByEachKeyInOrderOfFirstAppearance)
{
    const std::vector<TItemRow> files = {
        {"a.txt", ".txt", "/home/x/"}, {"sub", ".folder", "/home/x/"}, {"b.TXT", ".txt", "/home/X/"},
        {"c.doc", ".doc", "/srv/"},    {"README", "", "/home/x/"},
    };
    const TGroupCase cases[] = {
        {"type extensions, apart items gathered", files, "Ext",
         "[.TXT] a.txt b.TXT [.FOLDER] sub [.DOC] c.doc [] README"},
        {"containing folders, as spelled", files, "Path", "[/home/x/] a.txt sub README [/home/X/] b.TXT [/srv/] c.doc"},
        {"first letters, upper-cased",
         {{"report", ".txt", ""}, {"Readme", ".md", ""}, {"apple", "", ""}, {"Äpfel", "", ""}, {"ärger", "", ""}},
         "Name", "[R] report Readme [A] apple [Ä] Äpfel ärger"},
        {"an empty caption has an empty key", {{"", ".txt", ""}, {"x", ".txt", ""}, {"", ".doc", ""}}, "Name",
         "[]   [X] x"},
        // U+10428 upper-cases to U+10400, both outside the 16-bit range.
        {"a surrogate pair is one character", {{"\U00010428b", "", ""}, {"\U00010400c", "", ""}, {"d", "", ""}},
         "Name", "[\U00010400] \U00010428b \U00010400c [D] d"},
        {"any other value hides the one header", files, "name", "(<default>) a.txt sub b.TXT c.doc README"},
    };
    for (const TGroupCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Fill(c.Items);
        Group(c.Value);
        EXPECT_EQ(Layout(holder_), c.Expected);
        EXPECT_TRUE(holder_.DH_CANDRAW.load());
    }
}

// Hovering an old header, then regrouping: the header is freed, and the next
// move must not touch it (AddressSanitizer would say so).
TEST_F(SmartGroup, RegroupingReplacesHeadersAndKeepsTheItems)
{
    Fill({{"a.txt", ".txt", "/"}, {"b.doc", ".doc", "/"}, {"c.txt", ".txt", "/"}});
    const std::set<const TItemData*> members = Members();
    Group("Ext");
    const QString once = Layout(holder_);
    EXPECT_EQ(once, "[.TXT] a.txt c.txt [.DOC] b.doc");

    const TItemData* header = holder_.Item_Get(0);
    const QPoint onHeader(header->ID_POS.x() + 5, header->ID_POS.y() + 5);
    holder_.On_MouseMove(0, onHeader.x(), onHeader.y());
    ASSERT_EQ(holder_.DH_ITEM_ACTIVE, header);

    Group("Ext");
    EXPECT_EQ(Layout(holder_), once);
    EXPECT_EQ(Members(), members);
    EXPECT_EQ(holder_.DH_ITEM_ACTIVE, nullptr);
    holder_.On_MouseMove(0, onHeader.x(), onHeader.y());
    EXPECT_EQ(holder_.DH_ITEM_ACTIVE, holder_.Item_Get(0));

    Group("Name");
    EXPECT_EQ(Layout(holder_), "[A] a.txt [C] c.txt [B] b.doc");
    EXPECT_EQ(Members(), members);
}

TEST_F(SmartGroup, CollapsedSectionOpensAgainWhenRegrouped)
{
    Fill({{"a.txt", ".txt", "/"}, {"b.doc", ".doc", "/"}});
    Group("Ext");
    static_cast<TGroupData*>(holder_.Item_Get(0))->Collapse(&holder_);
    EXPECT_FALSE(holder_.Item_Get(1)->ID_VISIBLE);
    Group("Ext");
    EXPECT_TRUE(holder_.Item_Get(1)->ID_VISIBLE);
}

TEST_F(SmartGroup, HeadersWithoutMembersGoAndAnEmptyHolderIsStillArranged)
{
    Fill({{"a.txt", ".txt", "/"}});
    Group("Ext");
    holder_.Item_Rem(1);
    Group("none");
    EXPECT_EQ(holder_.ItemCount(), 0);

    holder_.BeginUpdate();
    Group("Name");
    EXPECT_EQ(holder_.ItemCount(), 0);
    EXPECT_TRUE(holder_.DH_CANDRAW.load());
}

// The first run is stopped by the second before it can hand anything over.
TEST_F(SmartGroup, BackToBackRequestsEndWithTheLatest)
{
    std::vector<TItemRow> rows;
    for (int i = 0; i < 5000; ++i) rows.push_back({QString("n%1").arg(i), i % 2 ? ".a" : ".b", "/"});
    Fill(rows);
    holder_.GroupItems("Name", "");
    holder_.GroupItems("Ext", "Icons");
    ASSERT_TRUE(WaitUntil([&] { return grouped_ > 0; }));
    EXPECT_EQ(grouped_, 1);
    ASSERT_EQ(holder_.Item_Get(0)->ID_CAPTION, ".B");
    EXPECT_EQ(holder_.Item_Get(2501)->ID_CAPTION, ".A");
    EXPECT_EQ(holder_.ItemCount(), 5002);
}

// The interface thread paints, hit-tests, renames captions and filters while
// groupings run one after another and some are superseded midway. Every list
// it sees holds all items once; ThreadSanitizer watches the item fields.
TEST(SmartGroupThreads, GroupingRacesWithPaintingAndChangesOfItems)
{
    constexpr int Count = 3000;
    std::vector<TItemRow> rows;
    for (int i = 0; i < Count; ++i)
        rows.push_back({QString("%1item").arg(QChar('a' + i % 26)), QString(".e%1").arg(i % 7), QString("/d%1/").arg(i % 5)});
    TDataHolder holder;
    holder.On_Resize(1000, 600);
    holder.HandOverItems(MakeItems(rows));
    holder.Arrange();

    const QString values[] = {"Name", "Ext", "Path", "none"};
    int requested = 0, grouped = 0;
    bool running = false;
    holder.OnGrouped = [&](TDataHolder*) {
        ++grouped;
        running = false;
    };
    TBitmap32 canvas(1000, 600);
    bool whole = true;
    int turn = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            ++turn;
            if (!running || turn % 5 == 0) {
                holder.GroupItems(values[requested++ % 4], "");
                running = true;
            }
            holder.On_Paint(canvas);
            holder.On_MouseMove(0, 125, 120 + turn % 200);
            if (TItemData* item = holder.Item_Get(turn % holder.ItemCount())) item->ID_CAPTION = QString("z%1").arg(turn);
            if (turn % 7 == 0) holder.QuickFilter(turn % 14 ? "item" : "");
            QSet<const TItemData*> seen;
            for (const auto& item : holder.Items())
                if (!item->IsGroup()) seen.insert(item.get());
            whole = whole && seen.size() == Count;
            return grouped >= 30;
        },
        60000));
    EXPECT_TRUE(whole);
}

class SmartGroupNavigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSound_ = Settings().Media.PlayNavSound;
        Settings().Media.PlayNavSound = false;
        holder_.On_Resize(1000, 600);
        holder_.OnListed = [this](TFileHolder*) { ++listed_; };
        holder_.OnGrouped = [this](TDataHolder*) { ++grouped_; };
        for (int i = 0; i < 2000; ++i) dir_.WriteFile(QString("big/f%1.txt").arg(i), "");
        dir_.WriteFile("small/only", "x");
    }
    void TearDown() override { Settings().Media.PlayNavSound = savedSound_; }

    void Show(const QString& path)
    {
        const int before = listed_;
        holder_.Path_GoTo(path);
        ASSERT_TRUE(WaitUntil([&] { return listed_ > before; }));
    }
    bool GroupingRuns() const
    {
        TSmartTask* task = nullptr;
        return holder_.TaskManager->GetTask("GroupItems", task) && task->Active();
    }

    bool savedSound_ = false;
    TTestDir dir_;
    TFileHolder holder_;
    int listed_ = 0, grouped_ = 0;
};

TEST_F(SmartGroupNavigation, NavigationStopsAGroupingOfTheOldFolder)
{
    Show(dir_.Sub("big"));
    holder_.GroupItems("Name", "");
    Show(dir_.Sub("small"));
    ASSERT_TRUE(WaitUntil([&] { return !GroupingRuns(); }));
    ServeFor(50);
    ASSERT_EQ(holder_.ItemCount(), 1);
    EXPECT_EQ(holder_.Item_Get(0)->ID_FILE_DATA.FD_NAME, "only");
    EXPECT_EQ(grouped_, 0);

    // Requested while the next listing runs, a grouping may take the old list
    // or the new one; the new folder's items stay all there is.
    holder_.Path_GoTo(dir_.Sub("big"));
    holder_.GroupItems("Ext", "");
    ASSERT_TRUE(WaitUntil([&] { return listed_ == 3 && !GroupingRuns(); }));
    int files = 0;
    for (const auto& item : holder_.Items()) {
        if (item->IsGroup()) continue;
        EXPECT_EQ(item->ID_FILE_DATA.FD_DIR, dir_.Sub("big/"));
        ++files;
    }
    EXPECT_EQ(files, 2000);
}

}  // namespace
