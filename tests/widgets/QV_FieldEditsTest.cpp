#include "QV_WidgetFixture.h"

#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "platform/fs/QV_DirList.h"
#include "support/QV_HostTestSupport.h"

#include <QDir>
#include <QFile>

namespace {

class TRecordingHost : public TQuietHost {
public:
    void GoToPath(const QString& Path) override { Paths << Path; }
    QStringList Paths;
};

// Holders in a data core, with the host that records what the fields ask.
class FieldEdits : public WidgetFixture {
protected:
    FieldEdits() { Context2.emplace(TQvServices{.CtrlManager = &Manager, .DataCore = &Core, .HolderHost = &Host}); }
    ~FieldEdits() override
    {
        Core.StopThreads();
        Core.Clear();
    }

    // A file holder showing folder, with one item per entry of it (or per name).
    TFileHolder* AddHolder(const QString& folder, const QStringList& names = {})
    {
        TFileHolder* holder = Core.Holder_Add_File();
        holder->Path_Add()->PD_PATH = folder;
        TItemList items;
        for (const QString& name : names) {
            TDirEntry entry;
            entry.Name = name;
            holder->Item_Add(entry, folder + "/");
        }
        if (names.isEmpty())
            for (const TDirEntry& entry : ListDirectory(folder).Entries) holder->Item_Add(entry, folder + "/");
        holder->Arrange();
        return holder;
    }
    static int Shown(const TDataHolder* holder)
    {
        int n = 0;
        for (const auto& item : holder->Items()) n += item->ID_VISIBLE;
        return n;
    }

    TDataCore Core;
    TRecordingHost Host;
    std::optional<TQvContextScope> Context2;
};

}  // namespace

TEST_F(FieldEdits, FilterNarrowsTheActiveHolderAndEachTabKeepsItsOwn)
{
    TFileHolder* first = AddHolder("/a", {"apple", "banana", "Cherry"});
    TFileHolder* second = AddHolder("/b", {"one", "two"});
    Core.Holder_Activate(first);
    auto* filter = AddEdit<TFilterEdit>();
    Type(filter, "an");
    EXPECT_EQ(first->DH_TEXT_QFILTER, "an");
    EXPECT_EQ(Shown(first), 1);
    Key(filter, VK_BACK);
    EXPECT_EQ(Shown(first), 2) << "apple and banana contain a";
    Type(filter, "P");
    EXPECT_EQ(Shown(first), 1) << "letter case does not matter";

    Core.Holder_Activate(second);
    filter->On_Update();
    EXPECT_EQ(filter->SE_TEXT, "");
    Type(filter, "o");
    Core.Holder_Activate(first);
    filter->On_Update();
    EXPECT_EQ(filter->SE_TEXT, "aP");
    EXPECT_EQ(second->DH_TEXT_QFILTER, "o");

    Key(filter, VK_ESCAPE);
    EXPECT_EQ(first->DH_TEXT_QFILTER, "");
    EXPECT_EQ(Shown(first), 3);
}

TEST_F(FieldEdits, PathFieldShowsTheFolderAndTurnsIntoAnEditor)
{
    TTestDir dir;
    dir.WriteFile("docs/letter.txt", "x");
    TFileHolder* holder = AddHolder(QDrivePath, {"x"});
    Core.Holder_Activate(holder);
    auto* path = AddEdit<TPathEdit>();
    path->On_Update();
    EXPECT_EQ(path->SE_TEXT, "Quick Drive");
    EXPECT_EQ(path->PE_MODE, pm_Bread);
    Type(path, "zz");
    EXPECT_EQ(path->SE_TEXT, "Quick Drive") << "showing, not editing";

    path->On_MouseDouble(mbLeft, 0, XOf(path, 2), MidY(path));
    EXPECT_EQ(path->PE_MODE, pm_Edit);
    EXPECT_EQ(path->SE_SEL_CNT, 0) << "a double click selects nothing";
    Key(path, 'A', ssCtrl);
    Type(path, dir.Sub("docs/"));
    Key(path, VK_RETURN);
    EXPECT_EQ(Host.Paths, QStringList{dir.Sub("docs")});
    EXPECT_EQ(path->PE_MODE, pm_Bread);
    EXPECT_EQ(path->SE_TEXT, "Quick Drive") << "the holder's place until it has moved";

    Manager.On_MouseDown(mbMiddle, 0, XOf(path, 1), MidY(path));
    Manager.On_MouseUp(mbMiddle, 0, XOf(path, 1), MidY(path));
    Key(path, 'A', ssCtrl);
    Type(path, dir.Sub("docs/letter.txt"));
    Key(path, VK_RETURN);
    EXPECT_EQ(Host.Paths.last(), dir.Sub("docs"));
    EXPECT_EQ(holder->DH_SELECT_NAME, "letter.txt");

    Manager.On_MouseDown(mbLeft, 0, XOf(path, 1), MidY(path));
    path->On_MouseDouble(mbLeft, 0, XOf(path, 1), MidY(path));
    Key(path, 'A', ssCtrl);
    Type(path, dir.Sub("nothing"));
    Key(path, VK_RETURN);
    EXPECT_EQ(Host.Paths.size(), 2);
    ASSERT_EQ(Host.Messages.size(), 1);
    EXPECT_TRUE(Host.Messages[0].endsWith(dir.Sub("nothing")));
    EXPECT_EQ(path->PE_MODE, pm_Edit) << "the text stays for correction";
    EXPECT_EQ(path->SE_TEXT, dir.Sub("nothing"));

    Manager.ControlNotify(800, 500, true);  // focus goes elsewhere
    EXPECT_EQ(path->PE_MODE, pm_Bread);
    EXPECT_EQ(path->SE_TEXT, "Quick Drive");
}

TEST_F(FieldEdits, TabCompletesAFolderInThePathField)
{
    TTestDir dir;
    dir.MakeDir("Pictures");
    TFileHolder* holder = AddHolder(dir.Path(), {"x"});
    Core.Holder_Activate(holder);
    auto* path = AddEdit<TPathEdit>();
    path->BeginEdit();
    Key(path, 'A', ssCtrl);
    Type(path, "Pic");
    Key(path, VK_TAB);
    EXPECT_EQ(path->SE_TEXT, "Pictures/");
    Key(path, VK_ESCAPE);
    EXPECT_EQ(path->PE_MODE, pm_Bread);
    EXPECT_EQ(path->SE_TEXT, dir.Path());
}

class RenameEdit : public FieldEdits {
protected:
    void SetUp() override
    {
        Dir.WriteFile("old.txt", "keep");
        Dir.WriteFile("taken.txt", "other");
        Holder = AddHolder(Dir.Path());
        Core.Holder_Activate(Holder);
        Edit = static_cast<TRenameEdit*>(Manager.AddControl("RenameEdit", new TRenameEdit()));
    }
    TItemData* Item(const QString& name)
    {
        for (const auto& item : Holder->Items())
            if (item->ID_FILE_DATA.FD_NAME == name) return item.get();
        return nullptr;
    }
    void RenameTo(const QString& name)
    {
        Edit->PopUp(100, 100, Item("old.txt"));
        Key(Edit, 'A', ssCtrl);
        Key(Edit, VK_DELETE);
        Type(Edit, name);
        Key(Edit, VK_RETURN);
    }

    TTestDir Dir;
    TFileHolder* Holder = nullptr;
    TRenameEdit* Edit = nullptr;
};

TEST_F(RenameEdit, EnterRenamesAndTheNameWithoutExtensionIsSelected)
{
    Edit->PopUp(100, 100, Item("old.txt"));
    EXPECT_TRUE(Edit->SC_VISIBLE);
    EXPECT_TRUE(Edit->SC_FOCUSED);
    EXPECT_EQ(Edit->SE_SEL_TEXT, "old");
    const int narrow = Edit->SC_WIDTH;
    Type(Edit, "a much longer new name");
    EXPECT_GT(Edit->SC_WIDTH, narrow) << "the editor grows with the text";

    Edit->On_Leave(500, 500);
    Manager.ControlNotify(800, 500, true);
    EXPECT_TRUE(Edit->SC_VISIBLE) << "leaving or clicking elsewhere keeps it open";

    Manager.ControlFocus(Edit);
    Key(Edit, VK_RETURN);
    EXPECT_FALSE(Edit->SC_VISIBLE);
    EXPECT_EQ(Dir.ReadFile("a much longer new name.txt"), "keep");
    EXPECT_FALSE(QFile::exists(Dir.Sub("old.txt")));
    EXPECT_EQ(Manager.FocusedControl(), nullptr) << "keys go back to the folder view";
}

TEST_F(RenameEdit, EscapeCancels)
{
    Edit->PopUp(100, 100, Item("old.txt"));
    Type(Edit, "new");
    Key(Edit, VK_ESCAPE);
    EXPECT_FALSE(Edit->SC_VISIBLE);
    EXPECT_TRUE(QFile::exists(Dir.Sub("old.txt")));
    EXPECT_TRUE(Host.Messages.isEmpty());
}

TEST_F(RenameEdit, BadNamesChangeNoFile)
{
    const struct {
        QString Name;
        bool Message;
    } rows[] = {
        {"", false}, {".", true}, {"..", true}, {"a/b", true}, {QString(256, QLatin1Char('n')), true}, {"taken.txt", true},
    };
    for (const auto& row : rows) {
        Host.Messages.clear();
        RenameTo(row.Name);
        EXPECT_EQ(Dir.ReadFile("old.txt"), "keep") << row.Name.toStdString();
        EXPECT_EQ(Dir.ReadFile("taken.txt"), "other") << row.Name.toStdString();
        EXPECT_EQ(Host.Messages.size(), row.Message ? 1 : 0) << row.Name.toStdString();
        EXPECT_EQ(QDir(Dir.Path()).entryList(QDir::Files).size(), 2);
    }
}

TEST_F(RenameEdit, AnItemFreedWhileTheEditorIsOpenIsNotRenamed)
{
    Edit->PopUp(100, 100, Item("old.txt"));
    Type(Edit, "new");
    Holder->HandOverItems({});  // a new listing took the items away
    Key(Edit, VK_RETURN);
    EXPECT_FALSE(Edit->SC_VISIBLE);
    EXPECT_TRUE(QFile::exists(Dir.Sub("old.txt")));
}

TEST_F(RenameEdit, F2InTheFolderViewOpensTheEditorOverTheSelectedItem)
{
    TItemData* item = Item("taken.txt");
    item->Select();
    TKeyCode f2 = VK_F2;
    Holder->On_KeyDown(f2, 0);
    EXPECT_TRUE(Edit->SC_VISIBLE);
    EXPECT_EQ(Edit->SE_TEXT, "taken.txt");
    EXPECT_EQ(Edit->RenameObject, item);
    EXPECT_TRUE(item->ItemRect(Holder).contains(Edit->SC_POS));
}
