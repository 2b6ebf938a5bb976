#include "icons/QV_IconManager.h"

#include "controls/QV_Repaint.h"
#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/image/QV_IconFixtures.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"
#include "support/QV_PaintTestSupport.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

#include <QFile>
#include <QSet>

namespace {

constexpr TColor32 kTxtColour = 0xFF2040A0;
constexpr TColor32 kFolderColour = 0xFFC0C020;
constexpr TColor32 kUnknownColour = 0xFF808080;
constexpr TColor32 kUnknownExeColour = 0xFF00A000;
constexpr TColor32 kProgramColour = 0xFF0000FF;
constexpr TColor32 kPhotoColour = 0xFFFFFFFF;

// A program folder whose file-icon theme holds a few solid pictures, a
// manager made the process-wide one, and file holders listing real folders.
class IconManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        context_.emplace(TQvServices{.IconManager = manager_.get(), .Repaint = [this] { ++repaints_; }});
        Settings().Media.PlayNavSound = false;
        aliases_.SetFilesTheme("Test");
        Theme("txt.png", Filled(16, 16, kTxtColour));
        Theme("folder.png", Filled(16, 16, kFolderColour));
        // Every "unknown" picture is found in any letter case: this one file
        // serves unknown.png and Unknown.png alike.
        Theme("UNKNOWN.png", Filled(16, 16, kUnknownColour));
        Theme("UnknownExe.png", Filled(16, 16, kUnknownExeColour));
    }
    void TearDown() override
    {
        holders_.clear();
        context_.reset();
        manager_.reset();
    }

    void Theme(const QString& name, const TBitmap32& picture)
    {
        app_.WriteFile("Data/Themes/FileIcons/Test/" + name, EncodePng(picture));
    }

    TFileHolder* NewHolder()
    {
        holders_.push_back(std::make_unique<TFileHolder>());
        holders_.back()->On_Resize(1000, 600);
        return holders_.back().get();
    }
    static bool AllIconsReady(const TDataHolder& holder)
    {
        for (const auto& item : holder.Items())
            if (!item->ID_ICON_READY.load()) return false;
        return true;
    }
    // Navigates and waits until the listing is in and every item has its icon.
    void Show(TFileHolder* holder, const QString& path)
    {
        holder->Path_GoTo(path);
        ASSERT_TRUE(WaitUntil([&] {
            const TPathData* current = holder->Path_Curr();
            return current && current->PD_PATH == path && !holder->Listing() && holder->ItemCount() > 0 &&
                   AllIconsReady(*holder);
        }, 20000)) << path.toStdString();
    }
    static const TItemData* ItemNamed(const TDataHolder& holder, const QString& name)
    {
        for (const auto& item : holder.Items())
            if (item->ID_FILE_DATA.FD_NAME == name) return item.get();
        return nullptr;
    }
    static const TBitmap32& IconOf(const TDataHolder& holder, const QString& name)
    {
        const TItemData* item = ItemNamed(holder, name);
        static const TBitmap32 none;
        if (!item || !item->ID_ICON.load()) return none;
        return *item->ID_ICON.load();
    }
    static TColor32 Centre(const TBitmap32& icon) { return icon.Pixel(icon.Width() / 2, icon.Height() / 2); }

    TTestDir app_;
    TAliasScope aliases_{app_.Path()};
    TTestDir files_;
    std::unique_ptr<TIconManager> manager_ = std::make_unique<TIconManager>();
    std::vector<std::unique_ptr<TFileHolder>> holders_;
    std::atomic<int> repaints_{0};
    std::optional<TQvContextScope> context_;
};

TEST_F(IconManager, TextFilesShareOneDecodeAndEachHolderItsOwnCopy)
{
    for (int i = 0; i < 500; ++i) files_.WriteFile(QStringLiteral("many/note%1.txt").arg(i), "x");
    files_.WriteFile("few/a.txt", "x");
    TFileHolder* many = NewHolder();
    // Listing asks for repaints of its own; count from its end on.
    int repaintsBefore = 0;
    many->OnListed = [&](TFileHolder*) { repaintsBefore = repaints_; };
    Show(many, files_.Sub("many"));

    const TBitmap32* shared = many->Items().front()->ID_ICON.load();
    for (const auto& item : many->Items()) ASSERT_EQ(item->ID_ICON.load(), shared);
    EXPECT_EQ(QSize(shared->Width(), shared->Height()), QSize(40, 40));
    EXPECT_EQ(Centre(*shared), kTxtColour);
    EXPECT_EQ(many->DH_ICONS_G.Count(), 1);
    EXPECT_EQ(manager_->Sources().Decodes.load(), 1);
    // About one request per 40 icons, not one per icon; a slow machine may see
    // a few more (a batch cut short when the worker waits), never hundreds.
    EXPECT_LE(repaints_ - repaintsBefore, 2 * (500 / 40));

    TFileHolder* few = NewHolder();
    Show(few, files_.Sub("few"));
    EXPECT_EQ(manager_->Sources().Decodes.load(), 1);
    EXPECT_EQ(manager_->Sources().Count(), 1);
    ASSERT_EQ(few->DH_ICONS_G.Count(), 1);
    EXPECT_NE(few->Items().front()->ID_ICON.load(), shared);
    EXPECT_EQ(Centre(*few->Items().front()->ID_ICON.load()), kTxtColour);

    // Listing again reuses the holder's copy.
    many->Path_GoTo();
    ASSERT_TRUE(WaitUntil([&] { return !many->Listing() && AllIconsReady(*many); }));
    EXPECT_EQ(many->Items().front()->ID_ICON.load(), shared);
}

TEST_F(IconManager, FilesGetTheirOwnPictureOrTheFittingFallback)
{
    const QByteArray program =
        ProgramFile(IconResources({{32, 32, 32, SolidImage(32, 32, 32, kProgramColour)}}));
    files_.WriteFile("mix/prog.exe", program);
    files_.WriteFile("mix/tool.exe", "no icon resources here");
    files_.WriteFile("mix/photo.jpg", EncodeJpeg(Filled(1024, 768, kPhotoColour), 90));
    files_.WriteFile("mix/broken.jpg", QByteArray::fromHex("ffd8ffe0") + "damaged");
    files_.WriteFile("mix/wide.png", EncodePng(Filled(300, 150, kTxtColour)));
    files_.WriteFile("mix/broken.png", "not a png");
    files_.WriteFile("mix/bad.ico", QByteArray::fromHex("000001000500") + "garbage");
    files_.MakeDir("mix/sub");
    TFileHolder* holder = NewHolder();
    Show(holder, files_.Sub("mix"));

    struct {
        const char* Name;
        QSize Size;
        TColor32 Colour;
    } const cases[] = {
        {"prog.exe", {40, 40}, kProgramColour},
        {"tool.exe", {40, 40}, kUnknownExeColour},
        {"photo.jpg", {40, 30}, kPhotoColour},  // 1024 x 768 -> a 128 x 96 source
        {"broken.jpg", {40, 40}, kUnknownColour},
        {"wide.png", {40, 20}, kTxtColour},
        {"broken.png", {40, 40}, kUnknownColour},
        {"bad.ico", {40, 40}, kUnknownExeColour},
        {"sub", {40, 40}, kFolderColour},
    };
    for (const auto& c : cases) {
        const TBitmap32& icon = IconOf(*holder, c.Name);
        EXPECT_EQ(QSize(icon.Width(), icon.Height()), c.Size) << c.Name;
        EXPECT_EQ(Centre(icon), c.Colour) << c.Name;
    }
    const auto photo = manager_->GetSourceData(files_.Sub("mix/photo.jpg"));
    ASSERT_TRUE(photo);
    EXPECT_EQ(QSize(photo->SD_IMAGE.Width(), photo->SD_IMAGE.Height()), QSize(128, 96));
    // The folder type had a theme picture: the desktop was never asked.
    EXPECT_EQ(manager_->Sources().SystemLookups.load(), 0);
    EXPECT_EQ(holder->DH_ICONS_S.Count(), 7);
}

TEST_F(IconManager, TypesWithoutThemePictureAskTheDesktopOnce)
{
    files_.WriteFile("odd/a.qvxyz", "x");
    files_.WriteFile("odd/b.qvxyz", "x");
    TFileHolder* holder = NewHolder();
    Show(holder, files_.Sub("odd"));
    EXPECT_EQ(manager_->Sources().SystemLookups.load(), 1);
    const TBitmap32& icon = IconOf(*holder, "a.qvxyz");
    EXPECT_EQ(QSize(icon.Width(), icon.Height()), QSize(40, 40));
    EXPECT_EQ(&icon, &IconOf(*holder, "b.qvxyz"));
}

TEST_F(IconManager, MissingFallbackEndsThePassWithoutIcons)
{
    QFile::remove(app_.Sub("Data/Themes/FileIcons/Test/UNKNOWN.png"));
    files_.WriteFile("bad/a.jpg", "damaged");
    files_.WriteFile("bad/b.jpg", "damaged");
    TFileHolder* holder = NewHolder();
    bool listed = false;
    holder->OnListed = [&](TFileHolder*) { listed = true; };
    holder->Path_GoTo(files_.Sub("bad"));
    ASSERT_TRUE(WaitUntil([&] { return listed && !holder->DH_THREAD_ICONS_S->Active(); }));
    ASSERT_EQ(holder->ItemCount(), 2);
    for (const auto& item : holder->Items()) EXPECT_FALSE(item->ID_ICON_READY.load());
    EXPECT_EQ(manager_->Sources().Count(), 0);
}

TEST_F(IconManager, TrimmingFreesFilesOfPlacesNoTabShows)
{
    const QByteArray tiny = EncodePng(Filled(2, 2, kTxtColour));
    for (int i = 0; i < kTrimThreshold; ++i) files_.WriteFile(QStringLiteral("old/p%1.png").arg(i), tiny);
    files_.WriteFile("kept/k.png", tiny);
    files_.WriteFile("next/n.png", tiny);
    files_.WriteFile("next/n.txt", "x");
    TFileHolder* roaming = NewHolder();
    TFileHolder* staying = NewHolder();
    manager_->OpenPlaces = [&] {
        QStringList places;
        for (const auto& holder : holders_)
            if (const TPathData* current = holder->Path_Curr()) places << current->PD_PATH + "/";
        return places;
    };
    Show(staying, files_.Sub("kept"));
    Show(roaming, files_.Sub("old"));
    ASSERT_GE(manager_->Sources().Count(), kTrimThreshold);

    Show(roaming, files_.Sub("next"));
    ASSERT_TRUE(WaitUntil([&] { return !manager_->GetSourceData(files_.Sub("old/p0.png")); }));
    ASSERT_TRUE(WaitUntil([&] { return !manager_->Trimming(); }));
    EXPECT_EQ(manager_->Sources().Count(), 3);  // k.png, n.png and the .txt type
    EXPECT_TRUE(manager_->GetSourceData(files_.Sub("kept/k.png")));
    EXPECT_TRUE(manager_->GetSourceData(".txt"));
    // Shown icons are copies: the kept tab's stays whole.
    EXPECT_EQ(Centre(IconOf(*staying, "k.png")), kTxtColour);
}

TEST_F(IconManager, HoldersRunAtOnceAndGoWhileTheirPassesRun)
{
    for (int i = 0; i < 60; ++i) {
        files_.WriteFile(QStringLiteral("a/p%1.jpg").arg(i), EncodeJpeg(Filled(256, 192, kPhotoColour), 80));
        files_.WriteFile(QStringLiteral("a/t%1.txt").arg(i), "x");
        files_.WriteFile(QStringLiteral("b/p%1.jpg").arg(i), EncodeJpeg(Filled(256, 192, kPhotoColour), 80));
        files_.WriteFile(QStringLiteral("b/t%1.dat").arg(i), "x");
    }
    Theme("dat.png", Filled(16, 16, kFolderColour));
    TFileHolder* first = NewHolder();
    TFileHolder* second = NewHolder();
    first->Path_GoTo(files_.Sub("a"));
    second->Path_GoTo(files_.Sub("b"));
    // The second goes while its passes run; the first is relisted mid-pass.
    ASSERT_TRUE(WaitUntil([&] { return second->DH_ICONS_S.Count() > 0 && first->DH_ICONS_S.Count() > 0; }));
    holders_.pop_back();
    first->Path_GoTo();
    ASSERT_TRUE(WaitUntil([&] { return !first->Listing() && first->ItemCount() == 120 && AllIconsReady(*first); }, 20000));
    QSet<const TBitmap32*> icons;
    for (const auto& item : first->Items()) icons.insert(item->ID_ICON.load());
    EXPECT_EQ(icons.size(), 61);  // one per photograph and the shared text icon
    EXPECT_EQ(Centre(IconOf(*first, "p7.jpg")), kPhotoColour);

    // A manager may go before a holder whose passes still run: a fresh one has
    // every photograph to decode again.
    auto fresh = std::make_unique<TIconManager>();
    fresh->SetIcons(first);
    ASSERT_TRUE(WaitUntil([&] { return fresh->Sources().Count() > 0; }));
    fresh.reset();
    holders_.clear();
}

TEST_F(IconManager, RenamingAndGroupingWhilePassesRunKeepEveryIcon)
{
    for (int i = 0; i < 60; ++i) {
        files_.WriteFile(QStringLiteral("p%1.jpg").arg(i), EncodeJpeg(Filled(256, 192, kPhotoColour), 80));
        files_.WriteFile(QStringLiteral("t%1.txt").arg(i), "x");
    }
    // Renames find the holder of their item through the data core.
    TDataCore core;
    SetDataCore(&core);
    TFileHolder* holder = core.Holder_Add_File();
    holder->On_Resize(1000, 600);
    holder->Path_GoTo(files_.Path());
    ASSERT_TRUE(WaitUntil([&] { return !holder->Listing() && holder->DH_ICONS_S.Count() > 0; }));
    holder->Item_Get(0)->Rename("renamed.jpg");
    bool grouped = false;
    holder->OnGrouped = [&](TDataHolder*) { grouped = true; };
    holder->GroupItems("Ext", "Icons");
    holder->Item_Get(1)->Rename("late.jpg");
    // The renames also reach the folder monitor, whose refresh may replace the
    // grouped list with a fresh, ungrouped one on a slow machine: either way
    // every file is there with its icon.
    ASSERT_TRUE(WaitUntil([&] { return grouped && !holder->Listing() && AllIconsReady(*holder); }, 20000));
    int files = 0;
    for (const auto& item : holder->Items()) files += item->IsGroup() ? 0 : 1;
    EXPECT_EQ(files, 120);
    EXPECT_EQ(Centre(IconOf(*holder, "renamed.jpg")), kPhotoColour);
    EXPECT_EQ(Centre(IconOf(*holder, "t3.txt")), kTxtColour);
    core.Clear();
    SetDataCore(nullptr);
}

} // namespace
