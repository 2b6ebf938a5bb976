#include "data/QV_OpenFile.h"

#include "data/QV_HolderHost.h"
#include "data/QV_ItemData.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/QV_Report.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "support/QV_HostTestSupport.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// Answers the run question as a test tells it to, and counts the questions.
class TAnsweringHost : public TQuietHost {
public:
    void AskRun(const QString& Path, std::function<void(TRunAnswer)> Answer) override
    {
        Asked << Path;
        Answer(Reply);
    }
    TRunAnswer Reply;
    QStringList Asked;
};

// A desktop of its own: one application, "Opener", is the default for text
// and scripts and leaves a ".opened" mark beside the file it opens; nothing
// opens anything else. The type database stays the system's.
class OpenFile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        desktop_ = std::make_unique<TTestDir>();
        desktop_->WriteFile("data/applications/qv-opener.desktop",
                            "[Desktop Entry]\nType=Application\nName=Opener\n"
                            "MimeType=text/plain;application/x-shellscript;text/x-shellscript;\n"
                            "Exec=/bin/sh -c 'touch \"$1.opened\"' sh %f\n");
        desktop_->WriteFile("config/mimeapps.list", "[Default Applications]\n"
                                                    "text/plain=qv-opener.desktop\n"
                                                    "application/x-shellscript=qv-opener.desktop\n"
                                                    "text/x-shellscript=qv-opener.desktop\n");
        desktop_->MakeDir("dirs");
        QFile::link(QStringLiteral("/usr/share/mime"), desktop_->Sub("dirs/mime"));
        ::setenv("XDG_DATA_HOME", EncodeFileName(desktop_->Sub("data")).constData(), 1);
        ::setenv("XDG_CONFIG_HOME", EncodeFileName(desktop_->Sub("config")).constData(), 1);
        ::setenv("XDG_DATA_DIRS", EncodeFileName(desktop_->Sub("dirs")).constData(), 1);
        ::setenv("XDG_CONFIG_DIRS", EncodeFileName(desktop_->Sub("dirs")).constData(), 1);
    }
    static void TearDownTestSuite() { desktop_.reset(); }

    void SetUp() override
    {
        context_.emplace(TQvServices{.HolderHost = &host_});
        aliases_.emplace(dir_.Path());
        dir_.WriteFile("Data/Settings.QVS", "[Qorvel]\nBrowsing=HideHidden(1), Executables(Ask)\n");
        Settings().Browsing.Executables = QStringLiteral("Ask");
        previousHook_ = SetFailureHook([this](TFailureLevel level, const QString&, const QString& what) {
            if (level == flUser) messages_ << what;
        });
    }
    void TearDown() override
    {
        SetFailureHook(std::move(previousHook_));
        aliases_.reset();
        context_.reset();
    }

    // A script that leaves a ".ran" mark beside itself when it runs.
    QString Script(const QString& name, mode_t mode = 0755)
    {
        const QString path = dir_.WriteFile(name, "#!/bin/sh\ntouch \"$0.ran\"\n");
        ::chmod(EncodeFileName(path).constData(), mode);
        return path;
    }
    static bool MarkAppears(const QString& path) { return WaitUntil([&] { return QFile::exists(path); }); }

    inline static std::unique_ptr<TTestDir> desktop_;
    TAnsweringHost host_;
    TTestDir dir_;
    std::optional<TQvContextScope> context_;
    std::optional<TAliasScope> aliases_;
    TFailureHook previousHook_;
    QStringList messages_;
};

} // namespace

TEST_F(OpenFile, AProgramRunsOrOpensOnlyAsTheUserAnswers)
{
    const QString cancelled = Script("cancelled.sh");
    host_.Reply = {TRunChoice::rcCancel, false};
    OpenFileItem(cancelled);
    EXPECT_EQ(host_.Asked, QStringList{cancelled});

    const QString opened = Script("opened.sh");
    host_.Reply = {TRunChoice::rcOpen, false};
    OpenFileItem(opened);
    EXPECT_TRUE(MarkAppears(opened + ".opened"));

    const QString ran = Script("ran.sh");
    host_.Reply = {TRunChoice::rcRun, false};
    OpenFileItem(ran);
    EXPECT_TRUE(MarkAppears(ran + ".ran"));

    // Whatever the cancelled one would have done was started before these.
    EXPECT_FALSE(QFile::exists(cancelled + ".ran") || QFile::exists(cancelled + ".opened"));
    EXPECT_FALSE(QFile::exists(opened + ".ran"));
    EXPECT_EQ(host_.Asked.size(), 3);
    EXPECT_EQ(QString(Settings().Browsing.Executables), "Ask");
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
}

TEST_F(OpenFile, ADocumentOpensWithoutAQuestion)
{
    const QString notes = dir_.WriteFile("notes.txt", "plain text\n");
    const QString unmarked = Script("unmarked.sh", 0644);  // a script that may not run is a document
    OpenFileItem(notes);
    OpenFileItem(unmarked);
    EXPECT_TRUE(MarkAppears(notes + ".opened"));
    EXPECT_TRUE(MarkAppears(unmarked + ".opened"));
    EXPECT_TRUE(host_.Asked.isEmpty());
}

TEST_F(OpenFile, ARememberedChoiceIsKeptAndAskedNoMore)
{
    host_.Reply = {TRunChoice::rcRun, true};
    const QString first = Script("first.sh");
    OpenFileItem(first);
    EXPECT_TRUE(MarkAppears(first + ".ran"));
    EXPECT_EQ(QString(Settings().Browsing.Executables), "Run");
    EXPECT_TRUE(dir_.ReadFile("Data/Settings.QVS").contains("Executables(Run)")) << dir_.ReadFile("Data/Settings.QVS").constData();
    EXPECT_TRUE(dir_.ReadFile("Data/Settings.QVS").contains("HideHidden(1)"));

    const QString second = Script("second.sh");
    OpenFileItem(second);
    EXPECT_TRUE(MarkAppears(second + ".ran"));
    EXPECT_EQ(host_.Asked.size(), 1);

    // A cancel is never remembered, whatever the box said.
    Settings().Browsing.Executables = QStringLiteral("Ask");
    host_.Reply = {TRunChoice::rcCancel, true};
    OpenFileItem(Script("third.sh"));
    EXPECT_EQ(QString(Settings().Browsing.Executables), "Ask");
}

TEST_F(OpenFile, AFileNothingCanOpenGetsAMessage)
{
    const QByteArray bytes("\x00\x01\x02\xFE\xFF\x00\x13", 7);
    const QString blob = dir_.WriteFile("blob.qvbin", bytes);
    OpenFileItem(blob);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith("Can not open: blob.qvbin")) << messages_[0].toStdString();

    // A program that cannot start is no more silent.
    messages_.clear();
    const QString broken = dir_.WriteFile("broken.sh", "#!/no/such/interpreter\n");
    ::chmod(EncodeFileName(broken).constData(), 0755);
    host_.Reply = {TRunChoice::rcRun, false};
    OpenFileItem(broken);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith("Can not open: broken.sh")) << messages_[0].toStdString();
}

TEST_F(OpenFile, ADoubleClickedProgramAsksAndRunsInItsOwnFolder)
{
    // A relative name: the file lands where the program was started.
    const QString script = dir_.WriteFile("bin/run.sh", "#!/bin/sh\necho ok > started\n");
    ::chmod(EncodeFileName(script).constData(), 0755);
    TDirEntry entry;
    entry.Name = QStringLiteral("run.sh");
    const auto item = CreateListedItem(entry, dir_.Sub("bin/"));
    host_.Reply = {TRunChoice::rcRun, false};
    item->On_MouseDouble(nullptr, mbLeft, 0, 0, 0);
    EXPECT_EQ(host_.Asked, QStringList{script});
    EXPECT_TRUE(WaitUntil([&] { return dir_.ReadFile("bin/started") == "ok\n"; }));
}
