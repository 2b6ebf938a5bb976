#include "data/QV_SearchHolder.h"

#include "data/QV_DataCore.h"
#include "data/QV_ShellBridge.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

#include <fcntl.h>
#include <unistd.h>

#include <optional>

namespace {

struct TMatchCase {
    const char* Text;
    const char* Name;  // UTF-8
    bool Matches;
};

TEST(NameMatcher, MatchesSubstringsUnderFullCaseFolding)
{
    const TMatchCase cases[] = {
        {"e", "E", true},
        {"REPORT", "annual_report.pdf", true},
        {"ann", "annual_report.pdf", true},          // at the start
        {".PDF", "annual_report.pdf", true},         // at the end
        {"annual_report.pdf", "annual_report.pdf", true},
        {"report.pdf.x", "annual_report.pdf", false},
        {"", "anything", false},                     // an empty text finds nothing
        {"école", "ÉCOLE", true},                    // accents under case folding
        {"ÉCOLE", "e\xcc\x81" "cole", true},         // a combining accent matches a precomposed one
        {"ecole", "école", false},                   // accents still count
        {"strasse", "Straße", true},                 // full folding: ß is ss
        {"STRASSE", "straße", true},
        {"σας", "ΣΑΣ", true},
        {"k", "\xe2\x84\xaa", true},                 // the Kelvin sign folds to k
        {"ü", "plain ascii", false},
        {"*", "a*b", true},                          // no wildcards: a star is a star
        {"*.txt", "a.txt", false},
        {"a/b", "a", false},
        {"  ", "two  spaces", true},
    };
    for (const TMatchCase& c : cases) {
        const TNameMatcher matcher(QString::fromUtf8(c.Text));
        const QByteArray bytes(c.Name);
        EXPECT_EQ(matcher.Matches(QString::fromUtf8(bytes)), c.Matches) << c.Text << " in " << c.Name;
        EXPECT_EQ(matcher.Matches(bytes.constData(), size_t(bytes.size())), c.Matches) << c.Text << " in " << c.Name;
    }
    // Bytes that are not UTF-8 do not hide the rest of the name.
    const QByteArray invalid("bad\xff\xfe-Name");
    EXPECT_TRUE(TNameMatcher("name").Matches(invalid.constData(), size_t(invalid.size())));
    EXPECT_FALSE(TNameMatcher("bad-").Matches(invalid.constData(), size_t(invalid.size())));
    EXPECT_FALSE(TNameMatcher(QString(QChar(0))).Matches("a", 1));
}

// count folders of one matching file each, below "many/".
void MakeFolders(const TTestDir& dir, int count)
{
    const QByteArray base = EncodeFileName(dir.MakeDir("many"));
    for (int i = 0; i < count; ++i) {
        const QByteArray folder = base + "/f" + QByteArray::number(i);
        ::mkdir(folder.constData(), 0755);
        ::close(::open((folder + "/match_" + QByteArray::number(i)).constData(), O_CREAT | O_WRONLY, 0644));
    }
}

class SearchHolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        context_.emplace(TQvServices{});
        Settings().Browsing.HideHidden = true;
        Settings().Browsing.HideSystem = true;
        MakeHolder();
    }
    void TearDown() override
    {
        holder_.reset();
        context_.reset();
    }
    void MakeHolder()
    {
        holder_ = std::make_unique<TSearchHolder>();
        holder_->OnSearched = [this](TSearchHolder*) { ++searched_; };
        holder_->On_Resize(1000, 600);
    }
    // Starts a search for text below the folders and waits for its end.
    void SearchFor(const QString& text, const QStringList& folders)
    {
        holder_->AddSearchName(text);
        holder_->SH_SEARCH_DATA->SD_PATHS = folders;
        const int before = searched_;
        holder_->Search();
        ASSERT_TRUE(WaitUntil([&] { return searched_ > before; }, 20000));
    }
    // Results as paths below the test folder, headers left out.
    QStringList Results(bool visibleOnly = false) const
    {
        QStringList paths;
        for (const auto& item : holder_->Items())
            if (!item->IsGroup() && (!visibleOnly || item->ID_VISIBLE))
                paths << item->ID_FILE_DATA.FD_PATH.mid(dir_.Path().size() + 1);
        paths.sort();
        return paths;
    }
    int Headers() const
    {
        int n = 0;
        for (const auto& item : holder_->Items()) n += item->IsGroup();
        return n;
    }
    void MakeManyFolders(int count) const { MakeFolders(dir_, count); }

    std::optional<TQvContextScope> context_;
    TTestDir dir_;
    std::unique_ptr<TSearchHolder> holder_;
    int searched_ = 0;
};

TEST_F(SearchHolder, FindsEveryEntryContainingTheTextGroupedByFolder)
{
    dir_.WriteFile("Eagle.txt", "");
    dir_.WriteFile("sub/tree", "");
    dir_.WriteFile("sub/other/three.dat", "");
    dir_.WriteFile("sub/other/plain", "");
    dir_.WriteFile("sub/.secret", "");          // found, but hidden like in a folder
    dir_.MakeDir("sub/Deep/Folder");            // folders are results too
    dir_.WriteFile("again/tree", "");           // the same name in another folder
    // A link back up and a link to a folder outside: a loop would never end, the
    // outside would bring foreign results.
    ASSERT_EQ(::symlink("..", EncodeFileName(dir_.Sub("sub/other/loop-e")).constData()), 0);
    ASSERT_EQ(::symlink("/usr", EncodeFileName(dir_.Sub("usr-e")).constData()), 0);
    // A name that is not UTF-8.
    ::close(::open((EncodeFileName(dir_.Path()) + "/bytes\xff-e").constData(), O_CREAT | O_WRONLY, 0644));

    SearchFor("E", {dir_.Path()});

    EXPECT_EQ(Results(), (QStringList{"Eagle.txt", "again/tree", DecodeFileName(QByteArray("bytes\xff-e")),
                                      "sub/.secret", "sub/Deep", "sub/Deep/Folder", "sub/other", "sub/other/loop-e",
                                      "sub/other/three.dat", "sub/tree", "usr-e"}));
    EXPECT_FALSE(Results(true).contains("sub/.secret"));
    EXPECT_EQ(holder_->SH_STATUS_NAME, "Done");
    EXPECT_EQ(holder_->SH_STATUS_FOUND, "11");
    EXPECT_FALSE(holder_->SH_SEARCHING);
    EXPECT_EQ(holder_->SH_SEARCH_MAX, 5);  // six folders: the links are not entered
    EXPECT_EQ(holder_->SH_SEARCH_POS, 100);
    // One header per folder, each followed by its results.
    EXPECT_EQ(Headers(), 5);
    ASSERT_TRUE(holder_->Items().front()->IsGroup());
    QString group;
    for (const auto& item : holder_->Items()) {
        if (item->IsGroup()) group = item->ID_GROUP;
        else EXPECT_EQ(item->ID_FILE_DATA.FD_DIR.toUpper(), group.toUpper());
    }
    ::unlink((EncodeFileName(dir_.Path()) + "/bytes\xff-e").constData());
    EXPECT_TRUE(holder_->DH_CANDRAW.load());
}

// Records what the holder hands to the desktop's file operations.
class TRecordingBridge : public TShellBridge {
public:
    bool CopyItems(const QStringList& Paths) override { return Record("copy", Paths); }
    bool CutItems(const QStringList& Paths) override { return Record("cut", Paths); }
    bool CanPaste() override { return false; }
    bool Paste(const QString&) override { return false; }
    bool DeleteItems(const QStringList& Paths, bool) override { return Record("delete", Paths); }
    bool ItemsMenu(const QStringList&, const QString&, QPoint) override { return false; }
    void Properties(const QStringList& Paths) override { Record("properties", Paths); }
    void OpenWith(const QString&) override {}
    void Reveal(const QString&, bool) override {}
    QString ClipboardText() override { return QString(); }
    QList<QPair<QString, QStringList>> Calls;

private:
    bool Record(const char* verb, const QStringList& paths)
    {
        Calls.append({QString::fromLatin1(verb), paths});
        return true;
    }
};

TEST_F(SearchHolder, FileOperationsTakeTheSelectedResultsOfEveryFolderAtOnce)
{
    const QString first = dir_.WriteFile("one/report.txt", "");
    const QString second = dir_.WriteFile("two/deeper/Report.md", "");
    dir_.WriteFile("two/other.txt", "");
    SearchFor("report", {dir_.Path()});
    for (const auto& item : holder_->Items())
        if (!item->IsGroup()) item->Select();
    TRecordingBridge bridge;
    SetShellBridge(&bridge);
    TKeyCode key = 'C';
    holder_->On_KeyUp(key, ssCtrl);
    holder_->CutToClipboard();
    holder_->DeleteSelFiles();
    holder_->DisplayProperties();
    SetShellBridge(nullptr);
    ASSERT_EQ(bridge.Calls.size(), 4);
    for (const auto& call : bridge.Calls) {
        QStringList paths = call.second;
        paths.sort();
        EXPECT_EQ(paths, (QStringList{first, second})) << call.first.toStdString();
    }
}

TEST_F(SearchHolder, EndsWithDoneAndNothingFoundForAnEmptyOrImpossibleText)
{
    dir_.WriteFile("a/b/c.txt", "");
    for (const QString& text : {QString(), QString(10240, QChar('x')), QStringLiteral("a/b"), QString(QChar(0))}) {
        SCOPED_TRACE(text.left(10).toStdString());
        SearchFor(text, {dir_.Path()});
        EXPECT_TRUE(Results().isEmpty());
        EXPECT_EQ(holder_->SH_STATUS_NAME, "Done");
        EXPECT_EQ(holder_->SH_STATUS_FOUND, "0");
        EXPECT_EQ(holder_->EmptyText(), "Nothing found");
    }
}

TEST_F(SearchHolder, StartFoldersThatAreMissingOrFilesFindNothing)
{
    const QString file = dir_.WriteFile("file.txt", "");
    SearchFor("file", {dir_.Sub("missing"), file});
    EXPECT_TRUE(Results().isEmpty());
    EXPECT_EQ(holder_->SH_STATUS_NAME, "Done");
    // Nothing to search: no run at all.
    holder_->SH_SEARCH_DATA->Clear();
    holder_->Search();
    EXPECT_FALSE(holder_->Searching());
    EXPECT_FALSE(holder_->SH_SEARCHING);
}

TEST_F(SearchHolder, ProgressStaysZeroForOneFolder)
{
    dir_.WriteFile("one.txt", "");
    SearchFor("one", {dir_.Path()});
    EXPECT_EQ(Results(), QStringList{"one.txt"});
    EXPECT_EQ(holder_->SH_SEARCH_MAX, 0);
    EXPECT_EQ(holder_->SH_SEARCH_POS, 0);
    EXPECT_EQ(holder_->GetPercent(), 0);
}

TEST_F(SearchHolder, ASecondPressStopsAndShowsThePartialResultsUngrouped)
{
    MakeManyFolders(1500);
    holder_->AddSearchName("match");
    holder_->SH_SEARCH_DATA->SD_PATHS = {dir_.Path()};
    holder_->Search();
    EXPECT_TRUE(holder_->SH_SEARCHING);
    // Results show while the search runs.
    ASSERT_TRUE(WaitUntil([&] { return holder_->ItemCount() > 0 && holder_->Searching(); }, 20000));
    EXPECT_TRUE(holder_->DH_CANDRAW.load());
    holder_->Search();
    ASSERT_TRUE(WaitUntil([&] { return searched_ == 1; }));
    EXPECT_FALSE(holder_->Searching());
    EXPECT_FALSE(holder_->SH_SEARCHING);
    EXPECT_EQ(holder_->SH_SEARCH_POS, 100);
    EXPECT_EQ(Headers(), 0);
    const int shown = holder_->ItemCount();
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 1500);
    EXPECT_EQ(holder_->SH_STATUS_FOUND, QString::number(shown));
    // Nothing more arrives after the stop.
    ServeFor(50);
    EXPECT_EQ(holder_->ItemCount(), shown);
}

TEST_F(SearchHolder, AChangedNameStartsANewSearchInTheSameTab)
{
    MakeManyFolders(400);
    dir_.WriteFile("many/f7/other_zzz", "");
    holder_->AddSearchName("match");
    holder_->SH_SEARCH_DATA->SD_PATHS = {dir_.Path()};
    holder_->Search();
    ASSERT_TRUE(WaitUntil([&] { return holder_->ItemCount() > 0 && holder_->Searching(); }, 20000));
    // Enter with another name: the running search gives way to the new one.
    holder_->AddSearchName("ZZZ");
    holder_->Search();
    EXPECT_TRUE(holder_->Searching());
    ASSERT_TRUE(WaitUntil([&] { return searched_ == 1; }, 20000));
    EXPECT_EQ(Results(), QStringList{"many/f7/other_zzz"});
    EXPECT_EQ(holder_->SH_STATUS_NAME, "Done");
    // And again once it has ended, with the first name.
    SearchFor("match_399", {dir_.Path()});
    EXPECT_EQ(Results(), QStringList{"many/f399/match_399"});
}

TEST_F(SearchHolder, KeepsGoingPastFoldersDeletedDuringTheSearch)
{
    MakeManyFolders(600);
    dir_.WriteFile("zz_last/match_kept", "");
    holder_->AddSearchName("match");
    holder_->SH_SEARCH_DATA->SD_PATHS = {dir_.Path()};
    holder_->Search();
    ASSERT_TRUE(WaitUntil([&] { return holder_->ItemCount() > 0 && holder_->Searching(); }, 20000));
    // Collected already, gone before their turn (or while being scanned).
    for (int i = 0; i < 600; i += 2) QDir(dir_.Sub(QStringLiteral("many/f%1").arg(i))).removeRecursively();
    ASSERT_TRUE(WaitUntil([&] { return searched_ == 1; }, 20000));
    EXPECT_EQ(holder_->SH_STATUS_NAME, "Done");
    const QStringList results = Results();
    EXPECT_TRUE(results.contains("zz_last/match_kept"));
    for (int i = 1; i < 600; i += 2) EXPECT_TRUE(results.contains(QStringLiteral("many/f%1/match_%1").arg(i))) << i;
}

TEST_F(SearchHolder, GoingAwayWhileSearchingStopsAndWaits)
{
    MakeManyFolders(300);
    for (int round = 0; round < 3; ++round) {
        holder_->AddSearchName("match");
        holder_->SH_SEARCH_DATA->SD_PATHS = {dir_.Path()};
        holder_->Search();
        if (round == 1) WaitUntil([&] { return holder_->ItemCount() > 0; });
        holder_.reset();
        EXPECT_EQ(searched_, 0);
        MakeHolder();
    }
}

TEST(SearchHolderCore, TheDataCoreOpensSearchTabs)
{
    TDataCore core;
    TDataHolder* holder = core.Holder_Add_Search();
    auto* search = dynamic_cast<TSearchHolder*>(holder);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_PATHS, QStringList{"/"});
    EXPECT_FALSE(search->SH_SEARCH_DATA->SD_HIDDEN);
    EXPECT_EQ(search->HolderMenuName(), "SearchHolderMenu");
    EXPECT_TRUE(core.Holder_Rem(0));
}

TEST(SearchHolderCore, AClosedSearchTabGoesOnceItsSearchHasEnded)
{
    TTestDir dir;
    MakeFolders(dir, 300);
    TDataCore core;
    TQvContextScope scope(TQvServices{.DataCore = &core});
    auto* search = dynamic_cast<TSearchHolder*>(core.Holder_Add_Search());
    ASSERT_NE(search, nullptr);
    int searched = 0;
    search->OnSearched = [&](TSearchHolder*) { ++searched; };
    search->AddSearchName("match");
    search->SH_SEARCH_DATA->SD_PATHS = {dir.Path()};
    search->Search();
    WaitUntil([&] { return search->ItemCount() > 0; });
    ASSERT_TRUE(core.Holder_Rem(0));
    EXPECT_EQ(core.Count(), 0);
    ASSERT_TRUE(WaitUntil([&] { return core.Reaping() == 0; }, 20000));
    // The closed tab neither showed its end nor started anything after it.
    EXPECT_EQ(searched, 0);
}

}  // namespace
