#include "QV_MenuProbe.h"
#include "menus/QV_ExtManager.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList Menu(const QByteArray& types, const QStringList& names, QString* caption = nullptr)
{
    TMenuWorld world;
    const TExtManager manager(TMemIniFile::FromBytes(types));
    std::unique_ptr<TMenuHolder> holder(manager.GetMenu(nullptr, names));
    if (caption) *caption = holder->MH_CAPTION;
    return ItemIds(holder.get());
}

const QByteArray Types = R"(
[FILE]
Params=Description(File)
One=CMD(one)
Two=CMD(two)
[.txt]
Params=Type(FILE), Description(Text)
Two=CMD(two)
Three=CMD(three)
[FOLDER]
Params=Description(Folder)
Open=CMD(open)
Two=CMD(two)
[.md]
Params=Type(.txt)
Four=CMD(four)
)";

TEST(ExtManager, CombinesTypesWithTheirParentsFirstAndEachItemOnce)
{
    struct Case {
        QStringList Names;
        QStringList Expected;
    } cases[] = {
        {{".txt"}, {"one", "two", "three"}},
        {{".TXT"}, {"one", "two", "three"}},                    // names ignore case
        {{".xyz"}, {"one", "two"}},                             // no section: FILE
        {{".txt", "FOLDER"}, {"one", "two", "three", "open"}},  // duplicates once, at their first place
        {{"FOLDER", ".txt"}, {"open", "two", "one", "three"}},
        {{".md"}, {"one", "two", "three", "four"}},             // a chain of two parents
        {{".md", ".txt", ".xyz"}, {"one", "two", "three", "four"}},
        {{}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Menu(Types, c.Names), c.Expected) << c.Names.join(",").toStdString();

    QString caption;
    Menu(Types, {".txt"}, &caption);
    EXPECT_EQ(caption, "File Menu");
}

TEST(ExtManager, ParentChainsInACircleStop)
{
    struct Case {
        const char* Types;
        QStringList Names;
        QStringList Expected;
    } cases[] = {
        {"[X]\nParams=Type(Y)\nx=CMD(x)\n[Y]\nParams=Type(X)\ny=CMD(y)\n", {"X"}, {"y", "x"}},
        {"[X]\nParams=Type(Y)\nx=CMD(x)\n[Y]\nParams=Type(Z)\ny=CMD(y)\n[Z]\nParams=Type(X)\nz=CMD(z)\n", {"X"},
         {"z", "y", "x"}},
        {"[X]\nParams=Type(Y)\nx=CMD(x)\n[Y]\nParams=Type(Z)\ny=CMD(y)\n[Z]\nParams=Type(X)\nz=CMD(z)\n", {"Y", "X"},
         {"x", "z", "y"}},
        {"[X]\nParams=Type(x)\nx=CMD(x)\n", {"X"}, {"x"}},  // its own parent
        // A missing parent stands for FILE, which may lead back.
        {"[FILE]\nParams=Type(.a)\nf=CMD(f)\n[.a]\nParams=Type(gone)\na=CMD(a)\n", {".a"}, {"f", "a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Menu(c.Types, c.Names), c.Expected) << c.Types;
}

TEST(ExtManager, ReadsTypesInFileOrderAndReloads)
{
    TTestDir dir;
    const QString file = dir.WriteFile("Data/Types.QVS", Types);
    TAliasScope aliases(dir.Path());
    TExtManager manager;
    ASSERT_EQ(manager.EM_LIST.size(), 4u);
    const TExtData& txt = *manager.EM_LIST[1];
    EXPECT_EQ(txt.ED_EXTENSION, ".txt");
    EXPECT_EQ(txt.ED_TYPE, "FILE");
    EXPECT_EQ(txt.ED_DESC, "Text");
    EXPECT_TRUE(txt.ED_ISTYPE);
    EXPECT_FALSE(manager.EM_LIST[0]->ED_ISTYPE);
    ASSERT_EQ(txt.ED_MENU_ITEMS.size(), 3u);
    EXPECT_EQ(txt.ED_MENU_ITEMS[0].MI_PARAMS.PS_STRING, "Params = Type(FILE), Description(Text)");
    EXPECT_EQ(txt.ED_MENU_ITEMS[2].MI_ID, "Three");
    EXPECT_EQ(manager.GetExtData("folder"), manager.EM_LIST[2].get());

    dir.WriteFile("Data/Types.QVS", "[.png]\nOpen=CMD(open)\n");
    manager.Load();
    ASSERT_EQ(manager.EM_LIST.size(), 1u);
    EXPECT_EQ(manager.GetExtData(".txt"), nullptr);

    QFile::remove(file);
    manager.Load();
    EXPECT_TRUE(manager.EM_LIST.empty());
    TMenuWorld world;
    std::unique_ptr<TMenuHolder> holder(manager.GetMenu(nullptr, {".txt"}));
    EXPECT_EQ(holder->MH_LIST->Count(), 0);
}

}  // namespace
