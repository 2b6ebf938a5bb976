#pragma once
// The dialogs' tests run against the real window in a program folder of their
// own, so what a dialog writes lands in that folder's Data/ and what it applies
// reaches a running view.

#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "foundation/QV_System.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"
#include "view/QV_ViewFixture.h"

#include <QStringList>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

class TDialogTest : public ::testing::Test {
protected:
    // The settings lines of the program folder; PlayNavSound(0) keeps tests quiet.
    virtual QByteArray SettingsLines() const { return "Media=PlayNavSound(0)\n"; }

    void SetUp() override
    {
        folder = std::make_unique<TProgramFolder>(SettingsLines());
        form = std::make_unique<TQV_MainForm>();
        view = form->QorView();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_TRUE(WaitUntil([&] { return !form->SessionTimer->isActive() && !view->FileHolder()->Listing(); }));
    }
    void TearDown() override
    {
        form.reset();
        folder.reset();
    }

    QString SettingsFile() const { return folder->Dir.Sub("Data/Settings.QVS"); }
    QString Group(const char* group) const { return IniReadString(SettingsFile(), "Qorvel", group, ""); }

    // Opens the place in the active tab and waits for its listing.
    bool GoTo(const QString& path)
    {
        view->GoToPath(path);
        return WaitUntil([&] {
            const TPathData* current = view->FileHolder()->Path_Curr();
            return current && ExcludeTrailingPathDelimiter(current->PD_PATH) == ExcludeTrailingPathDelimiter(path) &&
                   !view->FileHolder()->Listing();
        });
    }
    QStringList VisibleNames() const
    {
        QStringList names;
        for (const auto& item : view->FileHolder()->Items())
            if (item->ID_VISIBLE) names << item->ID_FILE_DATA.FD_NAME;
        return names;
    }

    std::unique_ptr<TProgramFolder> folder;
    std::unique_ptr<TQV_MainForm> form;
    TQorView* view = nullptr;
};
