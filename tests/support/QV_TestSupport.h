#pragma once
// Helpers shared by the tests: real temporary folders and waits that serve the
// main loop, so completions delivered to the main thread arrive while a test waits.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QTemporaryDir;

// A fresh folder below the system's temporary folder, removed with its contents
// when the object goes.
class TTestDir {
public:
    TTestDir();
    ~TTestDir();
    // The folder's path, without trailing delimiter.
    QString Path() const;
    // Path() + "/" + relative.
    QString Sub(const QString& relative) const;
    // Writes a file (creating missing folders) and returns its full path.
    QString WriteFile(const QString& relative, const QByteArray& contents) const;
    QByteArray ReadFile(const QString& relative) const;
    QString MakeDir(const QString& relative) const;

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// Processes main-loop events until the condition holds or the timeout passes;
// answers whether the condition held.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Serves the main loop for the given time (for checking that something does NOT happen).
void ServeFor(int ms);

// The source tree's root (fixtures) and the build folder (the built Data/).
QString SourceDir();
QString BuildDir();

// Readable QString values in GoogleTest's failure messages.
#include <ostream>
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

#include "foundation/QV_System.h"

#include <gtest/gtest.h>

// A test whose program folder ("AppPath:\") is a fresh temporary folder; the
// previous alias names come back afterwards.
class TAppFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = AliasNames();
        TAliasNames names = saved_;
        names.AppPath = dir_.Path();
        SetAliasNames(names);
    }
    void TearDown() override { SetAliasNames(saved_); }
    // Changes one alias name for the rest of the test.
    void SetLanguage(const QString& lang)
    {
        TAliasNames names = AliasNames();
        names.Lang = lang;
        SetAliasNames(names);
    }

    TTestDir dir_;
    TAliasNames saved_;
};
