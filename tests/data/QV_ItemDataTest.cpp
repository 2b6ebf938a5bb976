#include "data/QV_ItemData.h"

#include "data/QV_DataHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_DirList.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

namespace {

TDirEntry Entry(const QString& name, std::uint32_t attributes = 0)
{
    TDirEntry entry;
    entry.Name = name;
    entry.Attributes = attributes;
    return entry;
}

// Restores a switch of the process-wide settings.
class TSettingGuard {
public:
    explicit TSettingGuard(TSettingBool& setting) : setting_(setting), saved_(setting) {}
    ~TSettingGuard() { setting_ = saved_; }

private:
    TSettingBool& setting_;
    bool saved_;
};

} // namespace

TEST(ItemData, CaptionsAndTypeExtensions)
{
    TTestDir dir;
    dir.WriteFile("README", "");
    const QString folder = dir.Path() + '/';
    TSettingGuard guard(Settings().Browsing.HideFileExtension);
    Settings().Browsing.HideFileExtension = true;
    struct {
        const char* Name;
        std::uint32_t Attributes;
        const char* Caption;
        const char* Ext;
    } cases[] = {
        {"a.b.c", 0, "a.b", ".c"},
        {".profile", 0, "", ".profile"},
        {"Report.TXT", 0, "Report", ".txt"},
        {"notes.old", faDirectory, "notes.old", ".folder"},
        {"README", 0, "README", ""},           // exists: no extension at all
        {"VANISHED", 0, "VANISHED", ".unknown"}, // gone by the time it is typed
        {"x.folder", 0, "x", ".unknown"},        // a file, whatever its name says
    };
    for (const auto& c : cases) {
        const auto item = CreateListedItem(Entry(c.Name, c.Attributes), folder);
        EXPECT_EQ(item->ID_CAPTION, c.Caption) << c.Name;
        EXPECT_EQ(item->ID_FILE_DATA.FD_EXT, c.Ext) << c.Name;
        EXPECT_EQ(item->ID_FILE_DATA.FD_PATH, folder + c.Name);
        EXPECT_EQ(item->ID_FILE_DATA.FD_DIR, folder);
        EXPECT_EQ(item->ID_MENU, c.Attributes ? "FOLDER" : "") << c.Name;
        EXPECT_EQ(dynamic_cast<TFolderItem*>(item.get()) != nullptr, c.Attributes != 0) << c.Name;
    }
    Settings().Browsing.HideFileExtension = false;
    EXPECT_EQ(CreateListedItem(Entry("a.b.c"), folder)->ID_CAPTION, "a.b.c");
}

TEST(ItemData, HoverAndSelectionStates)
{
    struct {
        TItemSate From;
        void (TItemData::*Step)();
        TItemSate To;
    } cases[] = {
        {isNormal, &TItemData::On_Leave, isHot},   {isSel, &TItemData::On_Leave, isHotSel},
        {isHot, &TItemData::On_Enter, isNormal},   {isHotSel, &TItemData::On_Enter, isSel},
        {isHot, &TItemData::Select, isSel},        {isHotSel, &TItemData::Select, isHotSel},
        {isHotSel, &TItemData::DeSelect, isNormal}, {isCut, &TItemData::On_Leave, isCut},
    };
    for (const auto& c : cases) {
        TItemData item;
        item.ID_STATE = c.From;
        (item.*c.Step)();
        EXPECT_EQ(item.ID_STATE, c.To) << int(c.From);
    }
}

TEST(ItemData, RenameTouchesNothingForSameEmptyOrTakenNames)
{
    TTestDir dir;
    dir.WriteFile("a.txt", "A");
    dir.WriteFile("b.txt", "B");
    dir.MakeDir("sub");
    const auto item = CreateListedItem(Entry("a.txt"), dir.Path() + '/');
    for (const char* name : {"", "a.txt", "b.txt", "sub/c.txt", ".."}) {
        item->Rename(name);
        EXPECT_EQ(item->ID_FILE_DATA.FD_NAME, "a.txt") << name;
        EXPECT_EQ(dir.ReadFile("a.txt"), "A") << name;
    }
    EXPECT_EQ(dir.ReadFile("b.txt"), "B");
    EXPECT_EQ(ListDirectory(dir.Sub("sub")).Entries.size(), 0u);
}

TEST(ItemData, RenameUpdatesTheItemAndAllowsACaseChange)
{
    TTestDir dir;
    dir.WriteFile("a.txt", "A");
    const auto item = CreateListedItem(Entry("a.txt"), dir.Path() + '/');
    item->Rename("A.TXT");
    EXPECT_EQ(dir.ReadFile("A.TXT"), "A");
    item->Rename("photo.JPG");
    EXPECT_EQ(item->ID_FILE_DATA.FD_PATH, dir.Sub("photo.JPG"));
    EXPECT_EQ(item->ID_FILE_DATA.FD_EXT, ".jpg");
    EXPECT_EQ(item->ID_CAPTION, "photo.JPG");
    EXPECT_EQ(dir.ReadFile("photo.JPG"), "A");

    dir.MakeDir("old.d");
    const auto folder = CreateListedItem(Entry("old.d", faDirectory), dir.Path() + '/');
    folder->Rename("new.d");
    EXPECT_EQ(folder->ID_FILE_DATA.FD_EXT, ".folder");
    EXPECT_EQ(folder->ID_CAPTION, "new.d");
}

TEST(ItemData, DirectoryNeedsAListableFolder)
{
    TTestDir dir;
    dir.MakeDir("empty");
    dir.WriteFile("file", "");
    EXPECT_TRUE(CreateListedItem(Entry("empty", faDirectory), dir.Path() + '/')->Directory());
    EXPECT_FALSE(CreateListedItem(Entry("file"), dir.Path() + '/')->Directory());
    EXPECT_FALSE(CreateListedItem(Entry("gone", faDirectory), dir.Path() + '/')->Directory());
}

// Gives the holder a header of group "G" followed by one file item per name,
// each in the group written after its name ("a:G"); answers the header.
static TGroupData* GroupWithMembers(TDataHolder& holder, const QStringList& members)
{
    auto* header = new TGroupData;
    header->ID_GROUP = "G";
    TItemList items;
    items.emplace_back(header);
    for (const QString& member : members) {
        items.push_back(std::make_unique<TFileItem>());
        items.back()->ID_FILE_DATA.FD_NAME = member.section(':', 0, 0);
        items.back()->ID_FILE_DATA.FD_HIDDEN = member.startsWith('.');
        items.back()->ID_GROUP = member.section(':', 1);
    }
    holder.HandOverItems(std::move(items));
    return header;
}

TEST(ItemData, GroupHeaderCollapsesAndExpandsItsMembers)
{
    TDataHolder holder;
    TGroupData* header = GroupWithMembers(holder, {"a:G", "b:G", "c:H"});
    header->On_MouseDouble(&holder, mbLeft, 0, 0, 0);
    EXPECT_FALSE(holder.Item_Get(1)->ID_VISIBLE);
    EXPECT_FALSE(holder.Item_Get(2)->ID_VISIBLE);
    EXPECT_TRUE(holder.Item_Get(3)->ID_VISIBLE);
    EXPECT_TRUE(header->ID_VISIBLE);
    header->On_MouseDouble(&holder, mbLeft, 0, 0, 0);
    EXPECT_TRUE(holder.Item_Get(1)->ID_VISIBLE);
    EXPECT_TRUE(holder.Item_Get(2)->ID_VISIBLE);
    header->Collapse(nullptr);  // no holder: nothing
    EXPECT_TRUE(header->GD_COLLAPSED);
}

TEST(ItemData, AnOpenedGroupShowsOnlyWhatTheSettingsAndTheFilterShow)
{
    const bool hideHidden = Settings().Browsing.HideHidden;
    Settings().Browsing.HideHidden = true;
    TDataHolder holder;
    TGroupData* header = GroupWithMembers(holder, {".secret:G", "apple:G", "berry:G"});
    holder.QuickFilter("RR");
    header->Collapse(&holder);
    header->Collapse(&holder);
    QStringList shown;
    for (const auto& item : holder.Items())
        if (item->ID_VISIBLE && !item->IsGroup()) shown << item->ID_FILE_DATA.FD_NAME;
    EXPECT_EQ(shown, QStringList{"berry"});
    Settings().Browsing.HideHidden = hideHidden;
}

TEST(ItemData, IconIsDrawnOnlyOnceReady)
{
    TDataHolder holder;
    TFileItem item;
    item.ID_CAPTION.clear();
    TBitmap32 icon(16, 16);
    icon.Clear(0xFFFF0000);
    item.ID_ICON = &icon;
    const QRect rect(0, 0, item.ID_WIDTH, item.ID_HEIGHT);
    const int iconY = (item.ID_HEIGHT - 16) / 2 + 4;
    for (bool ready : {false, true}) {
        TBitmap32 canvas(200, 60);
        canvas.Clear(0xFFFFFFFF);
        item.ID_ICON_READY = ready;
        item.On_Paint(&holder, canvas, rect);
        EXPECT_EQ(canvas.Pixel(4, iconY), ready ? 0xFFFF0000u : 0xFFFFFFFFu);
    }
}

TEST(ItemData, LinksAndLaunchersAreShownForWhatTheyAre)
{
    TTestDir dir;
    const QString folder = dir.Path() + '/';
    dir.WriteFile("app.desktop", "[Desktop Entry]\nType=Application\nName=Text Editor\nExec=true\n");
    dir.WriteFile("plain.txt", "");
    const auto launcher = CreateListedItem(Entry("app.desktop"), folder);
    EXPECT_EQ(launcher->ID_CAPTION, "Text Editor");
    EXPECT_FALSE(launcher->ID_FILE_DATA.FD_LINK);
    launcher->Rename("app.txt");
    EXPECT_EQ(launcher->ID_CAPTION, "app.txt");
    launcher->Rename("editor.desktop");
    EXPECT_EQ(launcher->ID_CAPTION, "Text Editor");
    EXPECT_TRUE(CreateListedItem(Entry("link", faSymLink), folder)->ID_FILE_DATA.FD_LINK);

    // Renamed to a folder's type, a file stays a file.
    const auto file = CreateListedItem(Entry("plain.txt"), folder);
    file->Rename("y.folder");
    EXPECT_EQ(file->ID_FILE_DATA.FD_EXT, ".unknown");
    EXPECT_EQ(file->ID_MENU, "");
}

TEST(ItemData, CaptionSitsBesideTheIconAndALinkIsMarked)
{
    TDataHolder holder;
    TBitmap32 icon(16, 16);
    icon.Clear(0xFFFF0000);
    const int captionLeft = Settings().Browsing.ItemHeight + 5;
    const int iconTop = (Settings().Browsing.ItemHeight - 16) / 2;
    for (bool link : {false, true}) {
        TFileItem item;
        item.ID_CAPTION = "WW";
        item.ID_FILE_DATA.FD_LINK = link;
        item.ID_ICON = &icon;
        item.ID_ICON_READY = true;
        TBitmap32 canvas(200, 60);
        canvas.Clear(0xFFFFFFFF);
        item.On_Paint(&holder, canvas, QRect(0, 0, item.ID_WIDTH, item.ID_HEIGHT));
        int firstInk = item.ID_WIDTH;
        for (int y = 0; y < item.ID_HEIGHT; ++y)
            for (int x = captionLeft; x < item.ID_WIDTH; ++x)
                if (canvas.Pixel(x, y) != 0xFFFFFFFFu) firstInk = std::min(firstInk, x);
        EXPECT_LT(firstInk, captionLeft + 8) << "the caption starts beside the icon";
        // The mark covers the lower left corner of the icon with its own picture.
        EXPECT_EQ(canvas.Pixel(1, iconTop + 16 - 2) == 0xFFFF0000u, !link) << link;
        EXPECT_EQ(canvas.Pixel(14, iconTop + 2), 0xFFFF0000u) << "the rest of the icon shows";
    }
}

TEST(ItemData, OnlyACaptionCutShortHasATip)
{
    TDataHolder holder;
    TFileItem item;
    item.ID_CAPTION = "a";
    EXPECT_EQ(item.CutCaptionTip(&holder), "");
    item.ID_CAPTION = QString("a rather long name of a report, version ").repeated(3);
    EXPECT_EQ(item.CutCaptionTip(&holder), item.ID_CAPTION);
    EXPECT_EQ(item.CutCaptionTip(nullptr), "");
}

TEST(ItemData, SearchDataPaths)
{
    TSearchData search;
    EXPECT_EQ(search.GetPath(), "Select Search Path!");
    search.AddPath("/a", false);
    search.AddPath("/b", false);
    EXPECT_EQ(search.GetPath(), "/a");
    search.AddPath("/c", true);
    EXPECT_EQ(search.SD_PATHS, QStringList{"/c"});
    search.AddPath(QDrivePath, true);
    for (const QString& root : search.SD_PATHS) EXPECT_TRUE(root.endsWith('/')) << root.toStdString();
}
