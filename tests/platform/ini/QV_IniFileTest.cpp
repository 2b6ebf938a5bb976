#include "platform/ini/QV_IniFile.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray out(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
        out.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return out;
}

QStringList FilesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

} // namespace

TEST(IniFile, ReadersFollowPrivateProfileRules)
{
    struct Case {
        const char* file;
        const char* section;
        const char* key;
        const char* expected; // nullptr: the default
    };
    const Case cases[] = {
        {"[Qorvel]\nMouse=ClickDelay(250)\n", "qorvel", "MOUSE", "ClickDelay(250)"},
        {"[ Spaced Name ]\nk=v\n", "spaced name", "k", "v"},
        {"[s]\n  key \t=  a value \t\n", "s", "key", "a value"},
        {"[s]\nk=\"  quoted  \"\n", "s", "k", "  quoted  "},
        {"[s]\nk=\"only one\n", "s", "k", "\"only one"},
        {"[s]\nk=\"a\" and \"b\"\n", "s", "k", "a\" and \"b"},
        // Single quotes enclose a value as double quotes do, but only a matching pair.
        {"[s]\nk='v'\n", "s", "k", "v"},
        {"[s]\nk= '  v  ' \n", "s", "k", "  v  "},
        {"[s]\nk=''\n", "s", "k", ""},
        {"[s]\nk='\n", "s", "k", "'"},
        {"[s]\nk='v\"\n", "s", "k", "'v\""},
        {"[s]\nk=\"'v'\"\n", "s", "k", "'v'"},
        {"[s]\nk=v ;x\n", "s", "k", "v ;x"},
        {"[s]\n;k=comment\n", "s", "k", nullptr},
        {"[s]\n  ;k=comment\n", "s", "k", nullptr},
        {"[s]\nk\n", "s", "k", nullptr},
        {"[s]\nk=\n", "s", "k", ""},
        {"[s]\nk=a=b\n", "s", "k", "a=b"},
        {"[s]\nk=1\n[S]\nk=2\n", "s", "k", "1"},
        {"[s]\n[S]\nk=2\n", "s", "k", nullptr},
        {"[s]\nk=1\nK=2\n", "s", "k", "1"},
        {"[a]\r\nx=1\r\n[b]\r\ny=2\r\n", "b", "y", "2"},
        {"[a]\rx=1\r[b]\ry=2\r", "b", "y", "2"},
        {"[a]\nx=1\r\n[b]\ry=2", "b", "y", "2"},
        {"k=before any section\n[s]\n", "s", "k", nullptr},
        {"[s]\nk=v\n", "s", "missing", nullptr},
        {"[s]\nk=v\n", "missing", "k", nullptr},
        {"[unclosed\nk=v\n", "unclosed", "k", "v"},
        {"[s] trailing text\nk=v\n", "s", "k", "v"},
        {"", "s", "k", nullptr},
        // Letter case beyond ASCII, in a short section and in a long one.
        {"[s]\n\xc3\x84pfel=1\n", "s", "\xc3\xa4PFEL", "1"},
        {"[s]\nk0=0\nk1=1\nk2=2\nk3=3\nk4=4\nk5=5\nk6=6\nk7=7\nk8=8\nk9=9\nk10=10\nk11=11\nk12=12\n"
         "K5=again\n\xc3\x84pfel=a\n",
         "s", "k5", "5"},
        {"[s]\nk0=0\nk1=1\nk2=2\nk3=3\nk4=4\nk5=5\nk6=6\nk7=7\nk8=8\nk9=9\nk10=10\nk11=11\nk12=12\n"
         "\xc3\x84pfel=a\n",
         "s", " \xc3\xa4PFEL ", "a"},
        {"[s]\nk0=0\nk1=1\nk2=2\nk3=3\nk4=4\nk5=5\nk6=6\nk7=7\nk8=8\nk9=9\nk10=10\nk11=11\nk12=12\n",
         "s", "k13", nullptr},
    };
    TTestDir dir;
    for (const Case& c : cases) {
        const QByteArray bytes(c.file);
        const QString path = dir.WriteFile("case.ini", bytes);
        const QString expected = c.expected ? QString::fromUtf8(c.expected) : QStringLiteral("<def>");
        EXPECT_EQ(IniReadString(path, c.section, c.key, "<def>"), expected) << c.file;
        EXPECT_EQ(TMemIniFile::FromBytes(bytes).ReadString(c.section, c.key, "<def>"), expected) << c.file;
    }
    EXPECT_EQ(IniReadString(dir.Sub("none.ini"), "s", "k", "<def>"), "<def>");
}

TEST(IniFile, WriteChangesOnlyItsLine)
{
    struct Case {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        // Replaced in place; comments, stray lines and the other keys stay.
        {"; top\n[S]\nA = 1 ;x\nstray\nB=2\n", "s", "a", "9", "; top\n[S]\nA=9\nstray\nB=2\n"},
        // A new key follows the section's last key, before trailing comments and blank lines.
        {"[s]\na=1\n; note\n\n[t]\nc=3\n", "s", "b", "2", "[s]\na=1\nb=2\n; note\n\n[t]\nc=3\n"},
        {"[s]\n; only a comment\n[t]\n", "S", "k", "v", "[s]\nk=v\n; only a comment\n[t]\n"},
        // A new section goes to the end; a last line without line end gets one.
        {"[s]\na=1", "t", "k", "v", "[s]\na=1\n[t]\nk=v\n"},
        {"", "t", "k", "v", "[t]\nk=v\n"},
        // The first of duplicate sections and keys receives the write.
        {"[s]\nk=1\nk=2\n[s]\nk=3\n", "s", "k", "9", "[s]\nk=9\nk=2\n[s]\nk=3\n"},
        // The file's own line ends are kept and used for new lines.
        {"[s]\r\na=1\r\n", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n"},
        {"[s]\ra=1\r", "t", "b", "2", "[s]\ra=1\r[t]\rb=2\r"},
        {"[s]\na=1\r\nc=3", "s", "a", "9", "[s]\na=9\r\nc=3"},
        // Line breaks in a value become blanks; otherwise a value is written as given.
        {"[s]\n", "s", "k", "one\r\ntwo\nthree", "[s]\nk=one  two three\n"},
        {"[s]\n", "s", "k", "\"quoted\"", "[s]\nk=\"quoted\"\n"},
        {"[s]\n", "s", "k", "a \"b\"", "[s]\nk=a \"b\"\n"},
        {"[s]\nWindow=x\n", "s", "window", " Maximized(1)", "[s]\nWindow= Maximized(1)\n"},
        // Blanks around the names are not part of them.
        {"[s]\nk=1\n", " s ", " k ", "2", "[s]\nk=2\n"},
    };
    TTestDir dir;
    for (const Case& c : cases) {
        const QString path = dir.WriteFile("case.ini", c.before);
        ASSERT_TRUE(IniWriteString(path, c.section, c.key, c.value)) << c.before;
        EXPECT_EQ(dir.ReadFile("case.ini"), QByteArray(c.after)) << c.before;
    }
}

TEST(IniFile, WrittenValuesReadBackAsTheReadersSeeThem)
{
    TTestDir dir;
    const QString path = dir.Sub("new.ini");
    const QPair<QString, QString> cases[] = {
        {"  leading and trailing\t", "leading and trailing"},
        {"\"both\"", "both"},
        {" 'spaced quotes' ", "spaced quotes"},
        {"\"", "\""},
        {"", ""},
        {"semi;colon = equals [x]", "semi;colon = equals [x]"},
        {QString::fromUtf8("Grüße € \xF0\x9F\x98\x80"), QString::fromUtf8("Grüße € \xF0\x9F\x98\x80")},
        {"C:\\dir (1)\\a=b,c.txt", "C:\\dir (1)\\a=b,c.txt"},
    };
    for (const auto& [value, read] : cases) {
        ASSERT_TRUE(IniWriteString(path, "s", "k", value));
        EXPECT_EQ(IniReadString(path, "s", "k", "<def>"), read);
        EXPECT_EQ(TMemIniFile(path).ReadString("s", "k", "<def>"), read);
    }
}

TEST(IniFile, TheProfileReaderDropsTrailingBlanksOfTheDefault)
{
    TTestDir dir;
    const QString path = dir.WriteFile("d.ini", "[s]\nk=v\n");
    const QPair<QString, QString> cases[] = {
        {"def  ", "def"}, {"def\t \t", "def"}, {"  def", "  def"}, {"   ", ""}, {"a b ", "a b"},
    };
    for (const auto& [def, read] : cases) {
        EXPECT_EQ(IniReadString(path, "s", "missing", def), read) << def.toStdString();
        EXPECT_EQ(IniReadString(path, "missing", "k", def), read) << def.toStdString();
        EXPECT_EQ(IniReadString(dir.Sub("none.ini"), "s", "k", def), read) << def.toStdString();
    }
}

TEST(IniFile, RewriteKeepsTheEncodingRead)
{
    const QString text = QString::fromUtf8("[Ä]\r\nkey=Grüße\r\n");
    const QString after = QString::fromUtf8("[Ä]\r\nkey=Grüße\r\nnew=€\r\n");
    struct Case {
        const char* name;
        QByteArray before, expected;
    };
    const Case cases[] = {
        {"UTF-8", text.toUtf8(), after.toUtf8()},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + text.toUtf8(), "\xEF\xBB\xBF" + after.toUtf8()},
        {"UTF-16 LE", Utf16(text, false), Utf16(after, false)},
        {"UTF-16 BE", Utf16(text, true), Utf16(after, true)},
    };
    TTestDir dir;
    for (const Case& c : cases) {
        const QString path = dir.WriteFile("enc.ini", c.before);
        EXPECT_EQ(IniReadString(path, QString::fromUtf8("ä"), "KEY", {}), QString::fromUtf8("Grüße")) << c.name;
        ASSERT_TRUE(IniWriteString(path, QString::fromUtf8("Ä"), "new", QString::fromUtf8("€"))) << c.name;
        EXPECT_EQ(dir.ReadFile("enc.ini"), c.expected) << c.name;
    }
}

TEST(IniFile, BytesThatAreNotUtf8SurviveAndReadBackLosslessly)
{
    TTestDir dir;
    const QByteArray before = "[s]\nname=/tmp/caf\xE9 \xFF\xFE.txt\nother=1\n";
    const QString path = dir.WriteFile("raw.ini", before);
    ASSERT_TRUE(IniWriteString(path, "s", "other", "2"));
    EXPECT_EQ(dir.ReadFile("raw.ini"), QByteArray("[s]\nname=/tmp/caf\xE9 \xFF\xFE.txt\nother=2\n"));

    // The value read holds the bytes as escapes; written back, the same bytes result.
    const QString name = IniReadString(path, "s", "name", {});
    ASSERT_TRUE(IniWriteString(path, "s", "copy", name));
    EXPECT_EQ(dir.ReadFile("raw.ini"), QByteArray("[s]\nname=/tmp/caf\xE9 \xFF\xFE.txt\nother=2\n"
                                                  "copy=/tmp/caf\xE9 \xFF\xFE.txt\n"));
}

TEST(IniFile, NamesThatCannotBeReadBackAreRefused)
{
    TTestDir dir;
    const QString path = dir.WriteFile("names.ini", "[s]\nk=v\n");
    const QPair<QString, QString> refused[] = {
        {"a]b", "k"}, {"", "k"}, {"  ", "k"}, {"a\nb", "k"}, {"s", "a=b"},
        {"s", ""},    {"s", "[k"}, {"s", ";k"}, {"s", "k\r"},
    };
    for (const auto& [section, key] : refused)
        EXPECT_FALSE(IniWriteString(path, section, key, "x")) << (section + "/" + key).toStdString();
    EXPECT_EQ(dir.ReadFile("names.ini"), QByteArray("[s]\nk=v\n"));
    EXPECT_FALSE(IniWriteString(dir.Sub("never.ini"), "s", "a=b", "x"));
    EXPECT_TRUE(FilesIn(dir.Path()) == QStringList{"names.ini"});
}

TEST(IniFile, WriteCreatesTheFileOnlyWhereItsFolderExists)
{
    TTestDir dir;
    EXPECT_TRUE(IniWriteString(dir.Sub("fresh.ini"), "s", "k", "v"));
    EXPECT_EQ(dir.ReadFile("fresh.ini"), QByteArray("[s]\nk=v\n"));
    EXPECT_FALSE(IniWriteString(dir.Sub("missing/fresh.ini"), "s", "k", "v"));
    EXPECT_FALSE(QDir(dir.Sub("missing")).exists());
}

TEST(IniFile, FailedWriteLeavesTheOldFileIntact)
{
    TTestDir dir;
    const QByteArray before = "[s]\nk=old\n";
    const QString path = dir.WriteFile("full.ini", before);
    // A file-size limit makes the write fail as a full disk would, even for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = IniWriteString(path, "s", "k", QString(4096, u'x'));
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(written);
    EXPECT_EQ(dir.ReadFile("full.ini"), before);
    EXPECT_TRUE(FilesIn(dir.Path()) == QStringList{"full.ini"}) << FilesIn(dir.Path()).join(" ").toStdString();
}

TEST(IniFile, RewriteKeepsPermissionsAndSymbolicLinks)
{
    TTestDir dir;
    const QString real = dir.WriteFile("real.ini", "[s]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    const QString link = dir.Sub("link.ini");
    ASSERT_EQ(::symlink("real.ini", QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(IniWriteString(link, "s", "k", "2"));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(link).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.ReadFile("real.ini"), QByteArray("[s]\nk=2\n"));
}

// Root may write any file, so the mode bits alone must stop a write to a file no
// one may write, and the test means the same whoever runs it.
TEST(IniFile, AFileWithoutWriteRightsIsNeverReplaced)
{
    TTestDir dir;
    const QByteArray before = "[s]\nk=old\n";
    for (const unsigned mode : {0444u, 0400u, 0555u}) {
        const QString path = dir.WriteFile("Settings.QVS", before);
        const QByteArray encoded = QFile::encodeName(path);
        ASSERT_EQ(::chmod(encoded.constData(), mode), 0);
        struct stat was {};
        ASSERT_EQ(::stat(encoded.constData(), &was), 0);

        EXPECT_FALSE(IniWriteString(path, "s", "k", "new")) << std::oct << mode;
        EXPECT_FALSE(IniDeleteKey(path, "s", "k")) << std::oct << mode;
        EXPECT_FALSE(IniEraseSection(path, "s")) << std::oct << mode;
        // A change that needs no write is no failure.
        EXPECT_TRUE(IniWriteString(path, "s", "k", "old")) << std::oct << mode;

        struct stat now {};
        ASSERT_EQ(::stat(encoded.constData(), &now), 0);
        EXPECT_EQ(now.st_ino, was.st_ino);
        EXPECT_EQ(now.st_mode, was.st_mode);
        EXPECT_EQ(dir.ReadFile("Settings.QVS"), before);
        EXPECT_TRUE(FilesIn(dir.Path()) == QStringList{"Settings.QVS"});
        ASSERT_EQ(::chmod(encoded.constData(), 0600), 0);
    }
    // Through a symbolic link the file it names decides.
    const QString real = dir.WriteFile("real.ini", before);
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0444), 0);
    const QString link = dir.Sub("link.ini");
    ASSERT_EQ(::symlink("real.ini", QFile::encodeName(link).constData()), 0);
    EXPECT_FALSE(IniWriteString(link, "s", "k", "new"));
    EXPECT_EQ(dir.ReadFile("real.ini"), before);
}

TEST(IniFile, OnlyRegularFilesOfSaneSizeAreRead)
{
    TTestDir dir;
    const QString fifo = dir.Sub("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString big = dir.WriteFile("big.ini", "[s]\nk=v\n");
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), IniMaxFileSize + 1), 0);

    for (const QString& path : {fifo, big, dir.Path()}) {
        EXPECT_EQ(IniReadString(path, "s", "k", "<def>"), "<def>") << path.toStdString();
        EXPECT_TRUE(TMemIniFile(path).Sections().isEmpty()) << path.toStdString();
        // What could not be read is never replaced.
        EXPECT_FALSE(IniWriteString(path, "s", "k", "x")) << path.toStdString();
        EXPECT_FALSE(IniEraseSection(path, "s")) << path.toStdString();
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(big).constData(), &st), 0);
    EXPECT_EQ(st.st_size, IniMaxFileSize + 1);
}

TEST(IniFile, SectionListsAndErasing)
{
    TTestDir dir;
    const QString path = dir.WriteFile("list.ini", "; head\n[One]\na=1\n;c\nb = \"2\"\na=3\n[two]\nx=y\n[ONE]\nz=9\n[Three]\n");
    EXPECT_EQ(IniSectionNames(path), (QStringList{"One", "two", "Three"}));
    const QList<QPair<QString, QString>> entries{{"a", "1"}, {"b", "2"}, {"a", "3"}};
    EXPECT_EQ(IniSectionEntries(path, "one"), entries);
    EXPECT_EQ(TMemIniFile(path).SectionEntries(" ONE "), entries);
    EXPECT_TRUE(IniSectionEntries(path, "three").isEmpty());
    EXPECT_TRUE(IniSectionEntries(path, "four").isEmpty());
    EXPECT_TRUE(TMemIniFile(path).SectionExists("THREE"));
    EXPECT_FALSE(TMemIniFile(path).SectionExists("four"));

    // Every section of the name goes, with its comments, so none shows through.
    EXPECT_TRUE(IniEraseSection(path, "one"));
    EXPECT_EQ(dir.ReadFile("list.ini"), QByteArray("; head\n[two]\nx=y\n[Three]\n"));
    EXPECT_TRUE(IniEraseSection(path, "four"));
    EXPECT_EQ(dir.ReadFile("list.ini"), QByteArray("; head\n[two]\nx=y\n[Three]\n"));
    EXPECT_TRUE(IniEraseSection(dir.Sub("missing.ini"), "two"));
    EXPECT_FALSE(QFile::exists(dir.Sub("missing.ini")));
}

TEST(IniFile, DeletingAKeyRemovesOnlyItsFirstLine)
{
    TTestDir dir;
    const QString path = dir.WriteFile("keys.ini", "[One]\na=1\n;c\nB=2\na=3\n[Two]\nb=4\n");
    EXPECT_TRUE(IniDeleteKey(path, " one ", "b"));
    EXPECT_TRUE(IniDeleteKey(path, "one", "A"));
    EXPECT_EQ(dir.ReadFile("keys.ini"), QByteArray("[One]\n;c\na=3\n[Two]\nb=4\n"));
    // Nothing to delete: nothing written, nothing created.
    EXPECT_TRUE(IniDeleteKey(path, "three", "a"));
    EXPECT_TRUE(IniDeleteKey(path, "one", "zz"));
    EXPECT_EQ(dir.ReadFile("keys.ini"), QByteArray("[One]\n;c\na=3\n[Two]\nb=4\n"));
    EXPECT_TRUE(IniDeleteKey(dir.Sub("missing.ini"), "one", "a"));
    EXPECT_FALSE(QFile::exists(dir.Sub("missing.ini")));
}

TEST(IniFile, DamagedFilesReadWithoutHarm)
{
    QByteArray garbage;
    for (int i = 0; i < 70000; ++i) garbage.append(char((i * 7919) % 251));
    QByteArray longLine = "[s]\nk=" + QByteArray(10 * 1024 * 1024, 'x');
    QByteArray manySections;
    for (int i = 0; i < 100000; ++i) manySections.append("[s" + QByteArray::number(i % 50) + "]\nk=1\nk=2\n");
    const QByteArray withNul("[s]\nk=a\0b\n[t\0]\n", 15);

    EXPECT_EQ(TMemIniFile::FromBytes(garbage).ReadString("s", "k", "d"), "d");
    EXPECT_EQ(TMemIniFile::FromBytes(longLine).ReadString("s", "k", {}).size(), 10 * 1024 * 1024);
    EXPECT_EQ(TMemIniFile::FromBytes(manySections).Sections().size(), 50);
    EXPECT_EQ(TMemIniFile::FromBytes(withNul).ReadString("s", "k", {}), QString::fromUtf16(u"a\0b", 3));
    EXPECT_EQ(TMemIniFile::FromBytes(QByteArray("\xFF\xFE[\0x", 5)).Sections(), QStringList{""});

    TTestDir dir;
    const QString path = dir.WriteFile("long.ini", longLine);
    ASSERT_TRUE(IniWriteString(path, "s", "other", "1"));
    EXPECT_EQ(dir.ReadFile("long.ini"), longLine + "\nother=1\n");
}

TEST(IniFile, ConcurrentWritersOfOneFileLoseNoWrite)
{
    TTestDir dir;
    const QString path = dir.Sub("shared.ini");
    constexpr int rounds = 200;
    auto writer = [&](QString key) {
        for (int i = 1; i <= rounds; ++i) {
            ASSERT_TRUE(IniWriteString(path, "s", key + QString::number(i % 10), QString::number(i)));
        }
    };
    std::thread a(writer, QStringLiteral("a")), b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    const TMemIniFile ini(path);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(ini.ReadString("s", "a" + QString::number(k), {}), QString::number(rounds - 10 + (k ? k : 10)));
        EXPECT_EQ(ini.ReadString("s", "b" + QString::number(k), {}), QString::number(rounds - 10 + (k ? k : 10)));
    }
    EXPECT_EQ(ini.SectionEntries("s").size(), 20);
}
