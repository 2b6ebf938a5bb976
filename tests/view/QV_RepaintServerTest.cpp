#include "view/QV_RepaintServer.h"

#include "support/QV_TestSupport.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <gtest/gtest.h>

namespace {

// Sends a request and waits, serving the main loop, for the server to answer
// and hang up.
QByteArray Ask(const QString& path, const QByteArray& request)
{
    QLocalSocket client;
    client.connectToServer(path);
    if (!client.waitForConnected(2000)) return "no connection";
    client.write(request);
    QByteArray answer;
    WaitUntil([&] {
        answer += client.readAll();
        return client.state() == QLocalSocket::UnconnectedState;
    });
    return answer + client.readAll();
}

}  // namespace

TEST(RepaintServer, AnswersOneToRepaintAndZeroToAnythingElse)
{
    TTestDir dir;
    int repaints = 0;
    TRepaintServer server(dir.Sub("socket"), [&] { return ++repaints, 1; });
    ASSERT_TRUE(server.Listening());
    EXPECT_EQ(Ask(server.Path(), "repaint"), "1");
    EXPECT_EQ(Ask(server.Path(), "repaint\n"), "1");
    EXPECT_EQ(Ask(server.Path(), "quit\n"), "0");
    EXPECT_EQ(Ask(server.Path(), QByteArray(100, 'r')), "0");
    EXPECT_EQ(repaints, 2);
}

TEST(RepaintServer, AnswersTheSelectionAndTheTabsFromTheirSources)
{
    TTestDir dir;
    TRepaintServer server(dir.Sub("socket"), [] { return 1; });
    EXPECT_EQ(Ask(server.Path(), "selection\n"), "0");  // no source yet
    server.SetSelectionSource([] { return QByteArray("1 2 3 4 a.txt\n5 6 7 8 b.txt\n"); });
    EXPECT_EQ(Ask(server.Path(), "selection"), "1 2 3 4 a.txt\n5 6 7 8 b.txt\n");
    EXPECT_EQ(Ask(server.Path(), "selection\n"), "1 2 3 4 a.txt\n5 6 7 8 b.txt\n");
    EXPECT_EQ(Ask(server.Path(), "select\n"), "0");
    EXPECT_EQ(Ask(server.Path(), "repaint\n"), "1");
    // A second report beside it; "repaint" stays the repaint however a source is named.
    EXPECT_EQ(Ask(server.Path(), "tabs\n"), "0");
    server.SetSource("tabs", [] { return QByteArray("0 4 150 24 1 id\n"); });
    server.SetSource("repaint", [] { return QByteArray("not a repaint"); });
    EXPECT_EQ(Ask(server.Path(), "tabs"), "0 4 150 24 1 id\n");
    EXPECT_EQ(Ask(server.Path(), "repaint"), "1");
    server.SetSource("tabs", nullptr);
    EXPECT_EQ(Ask(server.Path(), "tabs\n"), "0");
}

TEST(RepaintServer, LeavesALiveServerAloneAndReplacesAStaleSocket)
{
    TTestDir dir;
    const QString path = dir.Sub("socket");
    int first = 0, second = 0;
    {
        TRepaintServer live(path, [&] { return ++first, 1; });
        TRepaintServer latecomer(path, [&] { return ++second, 1; });
        EXPECT_FALSE(latecomer.Listening());
        EXPECT_EQ(Ask(path, "repaint"), "1");
        EXPECT_EQ(first, 1);
    }
    // A socket file left behind by a program that died.
    QLocalServer crashed;
    crashed.setSocketOptions(QLocalServer::UserAccessOption);
    ASSERT_TRUE(crashed.listen(path));
    crashed.close();
    dir.WriteFile("socket", {});  // the file stays, nobody serves it
    TRepaintServer next(path, [&] { return ++second, 1; });
    EXPECT_TRUE(next.Listening());
    EXPECT_EQ(Ask(path, "repaint"), "1");
    EXPECT_EQ(second, 1);
}
