#include "data/QV_DataCore.h"

#include "data/QV_FileHolder.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>

namespace {

// A holder that writes down its activation events.
class TLoggingHolder : public TDataHolder {
public:
    TLoggingHolder(QString name, QStringList* log) : Name(std::move(name)), Log(log) {}
    void On_Activate() override { Log->append(Name + ".Activate"); }
    void On_DeActivate() override { Log->append(Name + ".DeActivate"); }
    QString Name;
    QStringList* Log;
};

class DataCore : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        context_.emplace(TQvServices{.DataCore = &core_});
        Settings().Media.PlayNavSound = false;
    }
    void TearDown() override
    {
        core_.Clear();
        context_.reset();
        TAppFolderTest::TearDown();
    }
    TDataHolder* AddLogging(const QString& name)
    {
        core_.DC_LIST.push_back(std::make_unique<TLoggingHolder>(name, &log_));
        return core_.DC_LIST.back().get();
    }
    // A file holder whose current place is path, without listing it.
    TFileHolder* AddPlace(const QString& path)
    {
        TFileHolder* holder = core_.Holder_Add_File();
        holder->Path_Add()->PD_PATH = path;
        return holder;
    }
    QString SettingsFile() const { return dir_.Sub("Data/Settings.QVS"); }
    // The recent tabs as "key=path" in file order.
    QStringList Recent() const
    {
        QStringList lines;
        for (const auto& [key, value] : IniSectionEntries(SettingsFile(), "RecentTabs"))
            lines << key + "=" + EntryPlace(value);
        return lines;
    }

    TDataCore core_;
    QStringList log_;
    std::optional<TQvContextScope> context_;
};

TEST_F(DataCore, ActivationCallsDeactivateThenActivateOnlyOnAChange)
{
    TDataHolder* a = AddLogging("A");
    TDataHolder* b = AddLogging("B");
    struct TStep {
        std::function<TDataHolder*()> Act;
        TDataHolder* Current;
        QStringList Events;
    };
    const TStep steps[] = {
        {[&] { return core_.Holder_Activate(a->DH_ID); }, a, {"A.Activate"}},
        {[&] { return core_.Holder_Activate(0); }, a, {}},
        {[&] { return core_.Holder_Activate(b); }, b, {"A.DeActivate", "B.Activate"}},
        // An unknown identifier changes nothing.
        {[&] { return core_.Holder_Activate(QStringLiteral("nobody")) ? b : nullptr; }, b, {}},
        // An index out of range leaves none active.
        {[&] { return core_.Holder_Activate(7); }, nullptr, {"B.DeActivate"}},
        {[&] { return core_.Holder_Activate(1); }, b, {"B.Activate"}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        log_.clear();
        steps[i].Act();
        EXPECT_EQ(core_.DC_HOLDER, steps[i].Current) << "step " << i;
        EXPECT_EQ(core_.DC_HOLDER_ACTIVE, steps[i].Current) << "step " << i;
        EXPECT_EQ(log_, steps[i].Events) << "step " << i;
    }
}

TEST_F(DataCore, FindsHoldersAndForgetsARemovedOne)
{
    TDataHolder* a = AddLogging("A");
    TDataHolder* b = AddLogging("B");
    const QString idB = b->DH_ID;
    EXPECT_EQ(core_.Holder_Find(idB), 1);
    EXPECT_EQ(core_.Holder_Find("nobody"), -1);
    EXPECT_EQ(core_.Holder_Get(idB), b);
    EXPECT_EQ(core_.Holder_Get(2), nullptr);
    EXPECT_EQ(core_.Holder_Get(-1), nullptr);

    core_.Holder_Activate(b);
    EXPECT_FALSE(core_.Holder_Rem(2));
    EXPECT_TRUE(core_.Holder_Rem(1));
    EXPECT_EQ(core_.DC_HOLDER, nullptr);
    EXPECT_EQ(core_.DC_HOLDER_ACTIVE, nullptr);
    EXPECT_EQ(core_.DC_HOLDER_TRY, nullptr);
    EXPECT_EQ(core_.Holder_Find(idB), -1);
    // Nothing is left to deactivate: the next activation only activates.
    log_.clear();
    core_.Holder_Activate(a);
    EXPECT_EQ(log_, QStringList{"A.Activate"});
}

// A listing stuck in a file system that does not answer (a hung network
// mount): the test's probe holds the worker, deaf to its cancel flag, until
// the test lets it go.
TEST_F(DataCore, ClosingATabWhoseListingHangsReturnsAtOnceAndFreesItLater)
{
    std::mutex mutex;
    std::condition_variable wake;
    bool released = false;
    std::atomic<bool> inside{false};
    TFileHolder::ListingProbe() = [&](const QString&) {
        std::unique_lock lock(mutex);
        inside = true;
        // Bounded, so a holder that waits for its worker fails the test rather than hanging it.
        wake.wait_for(lock, std::chrono::seconds(20), [&] { return released; });
        inside = false;
    };
    TTestDir folder;
    folder.WriteFile("a", "x");
    TFileHolder* holder = core_.Holder_Add_File();
    holder->Path_GoTo(folder.Path());
    ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));

    EXPECT_TRUE(core_.Holder_Rem(0));
    EXPECT_TRUE(inside);
    EXPECT_EQ(core_.Count(), 0);
    EXPECT_EQ(core_.Reaping(), 1);

    {
        std::lock_guard lock(mutex);
        released = true;
    }
    wake.notify_all();
    EXPECT_TRUE(WaitUntil([&] { return core_.Reaping() == 0; }));
    TFileHolder::ListingProbe() = nullptr;
}

TEST_F(DataCore, RemovingAHolderWhileItsListingRuns)
{
    TTestDir folder;
    for (int i = 0; i < 3000; ++i) folder.WriteFile(QString("f%1").arg(i), {});
    for (int round = 0; round < 5; ++round) {
        TFileHolder* holder = core_.Holder_Add_File();
        holder->Path_GoTo(folder.Path());
        core_.Holder_Activate(holder);
        // Removed at once, mostly while its worker still makes items.
        EXPECT_TRUE(core_.Holder_Rem(0));
        EXPECT_EQ(core_.Count(), 0);
    }
}

TEST_F(DataCore, FiftyTabsOpenSwitchAndCloseWhileTheirListingsRun)
{
    TTestDir folders[3];
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 2000 * (f + 1); ++i) folders[f].WriteFile(QString("d%1/f%2").arg(i % 7).arg(i), {});
    TBitmap32 canvas;
    canvas.SetSize(800, 600);
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        TFileHolder* holder = core_.Holder_Add_File();
        holder->On_Resize(800, 600);
        holder->Path_GoTo(folders[round % 3].Path() + (round % 2 ? "/d3" : ""));
        core_.Holder_Activate(int(random() % unsigned(core_.Count())));
        if (core_.DC_HOLDER) core_.DC_HOLDER->On_Paint(canvas);
        ServeFor(int(random() % 3));
        if (round % 3 == 2) core_.Holder_Rem(int(random() % unsigned(core_.Count())));
        if (round % 10 == 9) core_.StopThreads();
    }
    EXPECT_EQ(core_.Count(), 50 - 50 / 3);
    // Every holder still open ends on a whole listing of its place.
    for (const auto& holder : core_.DC_LIST) {
        auto* file = static_cast<TFileHolder*>(holder.get());
        file->Path_GoTo();
        ASSERT_TRUE(WaitUntil([&] { return !file->Listing(); }));
        EXPECT_GT(file->ItemCount(), 0);
    }
    core_.Clear();
    EXPECT_EQ(core_.DC_HOLDER, nullptr);
}

TEST_F(DataCore, SavesARecentPlaceOnceAndNeverARoot)
{
    dir_.WriteFile("Data/Settings.QVS", "[Qorvel]\n");
    for (const QString& place : {QStringLiteral("/srv/a"), QStringLiteral("/srv/a"), QDrivePath, QStringLiteral("/"),
                                 QStringLiteral("/srv/b")})
        core_.SaveRecent(AddPlace(place));
    EXPECT_EQ(Recent(), (QStringList{"Tab(1)=/srv/a", "Tab(2)=/srv/b"}));
    // What the recent-tabs menu reads back is a parameter string with the path.
    EXPECT_EQ(IniReadString(SettingsFile(), "RecentTabs", "Tab(1)", ""), "Path(/srv/a)");
    // A path with parentheses survives whole.
    core_.SaveRecent(AddPlace("/srv/Files (x86)"));
    EXPECT_EQ(Recent().last(), "Tab(3)=/srv/Files (x86)");
}

TEST_F(DataCore, RecentTabsRotateTheOldestOutAndShrinkToTheLimit)
{
    struct TCase {
        int Max;
        int Stored;  // entries Tab(1) .. Tab(Stored), oldest first
        QStringList Expected;
    };
    const TCase cases[] = {
        // Full: the oldest goes and its key is reused at the end.
        {8, 8, {"Tab(2)=/p2", "Tab(3)=/p3", "Tab(4)=/p4", "Tab(5)=/p5", "Tab(6)=/p6", "Tab(7)=/p7", "Tab(8)=/p8",
                "Tab(1)=/new"}},
        {3, 2, {"Tab(1)=/p1", "Tab(2)=/p2", "Tab(3)=/new"}},
        // After the limit was lowered: down to limit + 1, then the new one.
        {2, 6, {"Tab(4)=/p4", "Tab(5)=/p5", "Tab(6)=/p6", "Tab(1)=/new"}},
    };
    for (const TCase& c : cases) {
        QByteArray text = "[Qorvel]\n[RecentTabs]\n";
        for (int i = 1; i <= c.Stored; ++i) text += QString("Tab(%1)= Path(/p%1)\n").arg(i).toUtf8();
        dir_.WriteFile("Data/Settings.QVS", text);
        Settings().SmartTabs.MaxRecent = c.Max;
        core_.SaveRecent(AddPlace("/new"));
        EXPECT_EQ(Recent(), c.Expected) << "max " << c.Max << ", stored " << c.Stored;
    }
}

TEST_F(DataCore, NoLimitOrANegativeOneRemembersNoRecentPlace)
{
    struct TCase {
        int Max;
        QByteArray Section;
    };
    const TCase cases[] = {
        {0, ""},
        {-1, ""},
        {0, "[RecentTabs]\n"},
        {-5, "[RecentTabs]\n"},
        {0, "[RecentTabs]\nTab(1)= Path(/p1)\nTab(2)= Path(/new)\n"},
    };
    for (const TCase& c : cases) {
        dir_.WriteFile("Data/Settings.QVS", "[Qorvel]\n" + c.Section);
        Settings().SmartTabs.MaxRecent = c.Max;
        core_.SaveRecent(AddPlace("/new"));
        EXPECT_EQ(Recent(), QStringList()) << "max " << c.Max << ", section " << c.Section.constData();
    }
}

TEST_F(DataCore, ARecentPlaceOfAnyNameReadsBackWhole)
{
    dir_.WriteFile("Data/Settings.QVS", "[Qorvel]\n");
    const QStringList places{"/srv/un)balanced", "/srv/open(", "/srv/line\nbreak", "/srv/two,,commas",
                             "/srv/a=b", "/srv/100%29"};
    for (const QString& place : places) core_.SaveRecent(AddPlace(place));
    // Each once: the stored form is recognised again.
    for (const QString& place : places) core_.SaveRecent(AddPlace(place));
    QStringList expected;
    for (int i = 0; i < places.size(); ++i) expected << QString("Tab(%1)=%2").arg(i + 1).arg(places[i]);
    EXPECT_EQ(Recent(), expected);
}

TEST(PlaceEntry, AnyPlaceRoundTripsAndEntriesOfEarlierVersionsReadAsBefore)
{
    const QString places[] = {
        "/srv/plain", "/srv/Files (x86)", "/srv/a(b)c(d)", "/srv/un)balanced", "/srv/open(", "/srv/)(",
        "/srv/line\nbreak\r", "/srv/tab\there", "/srv/com,ma", "/srv/two,,commas", "/srv/a=b", "/srv/100%",
        "%lead", "/srv/[x]", "/srv/trail ", "/srv/\"q\"", "/srv/'q'", QString::fromUtf16(u"/srv/caf\xDCE9"),
    };
    for (const QString& place : places) {
        const QString entry = PlaceEntry(place);
        EXPECT_EQ(EntryPlace(entry), place) << entry.toStdString();
        // The key in front, as the last session reads its lines, changes nothing.
        EXPECT_EQ(EntryPlace("Tab(3)=" + entry), place) << entry.toStdString();
        EXPECT_FALSE(entry.contains('\n') || entry.contains('\r')) << entry.toStdString();
    }
    // What needs no escape stays readable.
    EXPECT_EQ(PlaceEntry("/srv/Files (x86)"), "Path(/srv/Files (x86))");
    // Entries written before escapes existed read exactly as the parameter rules read them.
    const QString earlier[] = {" Path(/srv/100%29)", "Path(/srv/a%2Cb)", "Path(/srv/Files (x86))", "Path(/srv/cut"};
    for (const QString& entry : earlier)
        EXPECT_EQ(EntryPlace(entry), TParamString{entry}.GetValue("Path", "")) << entry.toStdString();
}

}  // namespace
