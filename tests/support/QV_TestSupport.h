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
// Generous: a loaded machine (sanitizers, parallel builds) may take seconds where a
// quiet one takes milliseconds, and a met condition returns at once.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 20000);

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

#include <optional>

// Points the aliases at another program folder (and theme names) while it lives.
class TAliasScope {
public:
    explicit TAliasScope(const QString& appPath)
        : saved_(AliasNames())
    {
        TAliasNames names = saved_;
        names.AppPath = appPath;
        SetAliasNames(names);
    }
    ~TAliasScope() { SetAliasNames(saved_); }
    TAliasScope(const TAliasScope&) = delete;
    TAliasScope& operator=(const TAliasScope&) = delete;

    void SetFilesTheme(const QString& name) { Change([&](TAliasNames& n) { n.FilesTheme = name; }); }
    void SetControlTheme(const QString& name) { Change([&](TAliasNames& n) { n.ControlTheme = name; }); }
    void SetLanguage(const QString& name) { Change([&](TAliasNames& n) { n.Lang = name; }); }

private:
    template <class F>
    void Change(F&& change)
    {
        TAliasNames names = AliasNames();
        change(names);
        SetAliasNames(names);
    }
    TAliasNames saved_;
};

// A test whose program folder ("AppPath:\") is a fresh temporary folder; the
// previous alias names come back afterwards.
class TAppFolderTest : public ::testing::Test {
protected:
    void SetUp() override { aliases_.emplace(dir_.Path()); }
    void TearDown() override { aliases_.reset(); }
    void SetLanguage(const QString& lang) { aliases_->SetLanguage(lang); }

    TTestDir dir_;
    std::optional<TAliasScope> aliases_;
};
