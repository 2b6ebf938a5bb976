#include "locale/QV_LocaleManager.h"

#include "foundation/QV_System.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

class LocaleTest : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        SetLanguage("Test");
    }
};

} // namespace

TEST_F(LocaleTest, WithoutALanguageFileEveryLookupAnswersItsDefault)
{
    TLocaleManager locale;
    EXPECT_TRUE(locale.Entries().empty());
    EXPECT_EQ(locale.GetLocalized("SelectTip", "Files.Count", "Selected:"), "Selected:");
}

TEST_F(LocaleTest, LooksUpSectionAndKeyExactly)
{
    dir_.WriteFile("Data/Language/Test.QVL", "[SelectTip]\r\n"
                                             "Files.Count=Auswahl:\r\n"
                                             "Files.Size=\r\n"
                                             "[selecttip]\r\n"
                                             "files.count=klein\r\n"
                                             "[Devices]\r\n"
                                             "DriveFixed = Lokaler Datenträger \r\n");
    TLocaleManager locale;
    const struct {
        const char* section;
        const char* key;
        QString expected;
    } cases[] = {
        {"SelectTip", "Files.Count", "Auswahl:"},
        {"SelectTip", "Files.Size", ""}, // an empty text is a text
        {"selecttip", "files.count", "default"},
        {"SelectTip", "FILES.COUNT", "default"},
        {"Devices", "DriveFixed", QString::fromUtf8("Lokaler Datenträger")},
        {"Devices", "DriveRemote", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(locale.GetLocalized(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
}

TEST(ShippedLanguageFile, HoldsTheTextsTheProgramAsksFor)
{
    const TMemIniFile ini(BuildDir() + "/Data/Language/English.QVL");
    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"SelectTip", "Files.Count", "Selected:"},
        {"SelectTip", "Files.Size", "Size:"},
        {"Devices", "DriveFixed", "Local Drive"},
        {"Groups", ".HARDDRIVE", "Hard Drives"},
        {"Messages", "CannotRename", "Can not rename: "},
        {"Messages", "CannotOpen", "Can not open: "},
        {"Messages", "FolderEmpty", "This folder is empty"},
        {"RunQuestion", "Text", "\u201C%1\u201D is a program. Do you want to run it, or open it as a document?"},
        {"Messages", "PleaseRestart", "Please Restart Qorvel"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<missing>"), QString::fromUtf8(c.expected)) << c.section << "/" << c.key;
}
