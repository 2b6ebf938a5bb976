// What other programs ask of the window: command-line arguments, a second
// start's hand-over and the file-manager calls of the session bus.

#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileUri.h"
#include "data/QV_FileHolder.h"
#include "foundation/QV_System.h"
#include "support/QV_TestSupport.h"
#include "view/QV_FileManagerService.h"
#include "view/QV_InstanceLink.h"
#include "view/QV_MainUnit.h"
#include "view/QV_OpenRequests.h"
#include "view/QV_QorView.h"
#include "view/QV_ViewFixture.h"

#include <QDBusConnection>
#include <QLocalServer>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ostream>
#include <thread>

// Found by the test framework next to the type it prints.
void PrintTo(const TOpenRequest& r, std::ostream* os)
{
    *os << r.Folder.toStdString() << " [" << r.Select.join(", ").toStdString() << "]";
}

namespace {

QByteArray Bytes(const QString& path) { return EncodeFileName(path); }

} // namespace

TEST(OpenRequests, ArgumentsBecomeFoldersAndRevealedFiles)
{
    TTestDir dir;
    const QString odd = DecodeFileName(QByteArray("caf\xe9 %41\nname.txt"));
    dir.MakeDir("a/sub dir");
    dir.WriteFile("a/one.txt", "1");
    dir.WriteFile("a/two.txt", "2");
    dir.MakeDir("b");
    ::close(::open(Bytes(dir.Sub("b") + '/' + odd).constData(), O_CREAT | O_WRONLY, 0644)); // beyond QFile's reach
    const QString a = dir.Sub("a"), b = dir.Sub("b");

    struct TCase {
        const char* what;
        QList<QByteArray> arguments;
        std::vector<TOpenRequest> expected;
    };
    const TCase cases[] = {
        {"a folder", {Bytes(a)}, {{a, {}}}},
        {"a folder with a trailing slash", {Bytes(a + "/")}, {{a, {}}}},
        {"a file selects itself", {Bytes(a + "/one.txt")}, {{a, {"one.txt"}}}},
        {"two files share their folder", {Bytes(a + "/one.txt"), Bytes(a + "/two.txt"), Bytes(a + "/one.txt")},
         {{a, {"one.txt", "two.txt"}}}},
        {"relative to the working folder", {"a/./sub dir/../one.txt", "a/sub dir"},
         {{a, {"one.txt"}}, {a + "/sub dir", {}}}},
        {"a file address with escapes and a name that is not UTF-8",
         {FileUriFromPath(b + '/' + odd), "file://localhost" + FileUriFromPath(a).mid(7)}, {{b, {odd}}, {a, {}}}},
        {"what names nothing is left out",
         {Bytes(dir.Sub("missing")), "https://example.org/a", "file://otherhost/tmp", "", QByteArray(4096, 'x')}, {}},
        {"the root", {"/"}, {{"/", {}}}},
        {"the trash, by its address or its place name", {"trash:///", "Trash:\\", Bytes(a)}, {{TrashPath, {}}, {a, {}}}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(OpenRequestsFrom(c.arguments, dir.Path()), c.expected) << c.what;

    // A thousand arguments in one folder stay one request, in order.
    QList<QByteArray> many;
    QStringList names;
    for (int i = 0; i < 1000; ++i) {
        names << QStringLiteral("f%1").arg(i);
        dir.WriteFile("c/" + names.last(), "");
        many << Bytes(dir.Sub("c/" + names.last()));
    }
    const std::vector<TOpenRequest> one = OpenRequestsFrom(many, dir.Path());
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].Select, names);
}

TEST(OpenRequests, AddressesRoundTripEveryByte)
{
    const QByteArray raw("/tmp/a b/%/\xff\xfe/line\nbreak/#?");
    const QString path = DecodeFileName(raw);
    const QByteArray uri = FileUriFromPath(path);
    EXPECT_FALSE(uri.contains(' '));
    EXPECT_FALSE(uri.contains('\n'));
    const TFsResult<QString> back = PathFromFileUri(uri);
    ASSERT_TRUE(back);
    EXPECT_EQ(EncodeFileName(back.Value()), raw);
    for (const QByteArray& bad : {QByteArray("http://x/y"), QByteArray("file:relative"), QByteArray("file://host/x"),
                                 QByteArray("file:///a%00b")})
        EXPECT_EQ(PathFromFileUri(bad).Code(), EINVAL) << bad.constData();
}

TEST(InstanceLink, SecondStartHandsItsArgumentsToTheRunningWindow)
{
    TTestDir dir;
    dir.WriteFile("docs/report.txt", "r");
    const QString socket = dir.Sub("instance");
    std::vector<TOpenRequest> received;
    int calls = 0;
    TInstanceServer server(socket, [&](const std::vector<TOpenRequest>& requests) {
        received = requests;
        ++calls;
    });
    ASSERT_TRUE(server.Listening());

    // The second start runs in another thread here; the window's loop serves meanwhile.
    std::atomic<int> handed{-1};
    std::thread second([&] { handed = HandOverToRunning(socket, {"docs/report.txt", "docs"}, dir.Path()) ? 1 : 0; });
    ASSERT_TRUE(WaitUntil([&] { return handed >= 0 && calls == 1; }));
    second.join();
    EXPECT_EQ(handed, 1);
    EXPECT_EQ(received, (std::vector<TOpenRequest>{{dir.Sub("docs"), {"report.txt"}}}));

    // A second window at the same place stays silent; nobody at another place answers.
    TInstanceServer other(socket, {});
    EXPECT_FALSE(other.Listening());
    EXPECT_FALSE(HandOverToRunning(dir.Sub("nobody"), {"x"}, dir.Path(), 200));
}

TEST(InstanceLink, ASocketLeftByACrashedWindowIsReplaced)
{
    TTestDir dir;
    const QByteArray path = Bytes(dir.Sub("instance"));
    // A bound socket whose owner is gone: the file stays, nobody accepts.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);

    EXPECT_FALSE(HandOverToRunning(dir.Sub("instance"), {"/"}, "/", 2000));
    int calls = 0;
    TInstanceServer server(dir.Sub("instance"), [&](const std::vector<TOpenRequest>&) { ++calls; });
    EXPECT_TRUE(server.Listening());
}

TEST(FileManagerService, DesktopCallsOnTheSessionBusOpenAndReveal)
{
    // A private session bus, so the test never meets a real desktop's.
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForStarted());
    ASSERT_TRUE(WaitUntil([&] { return bus.canReadLine(); }));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    TTestDir dir;
    dir.WriteFile("pics/a.png", "");
    dir.WriteFile("pics/b.png", "");
    std::vector<std::pair<std::vector<TOpenRequest>, TFileManagerService::TPurpose>> calls;
    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("qorvel-test"));
        TFileManagerService service([&](const std::vector<TOpenRequest>& requests, TFileManagerService::TPurpose p) {
            calls.emplace_back(requests, p);
        });
        ASSERT_TRUE(service.Register(connection));

        const auto call = [&](const char* method, const QStringList& uris) {
            QProcess gdbus;
            gdbus.start("gdbus", {"call", "--address", address, "--dest", "org.freedesktop.FileManager1",
                                  "--object-path", "/org/freedesktop/FileManager1", "--method",
                                  QStringLiteral("org.freedesktop.FileManager1.%1").arg(method),
                                  "['" + uris.join("', '") + "']", ""});
            EXPECT_TRUE(WaitUntil([&] { return gdbus.state() == QProcess::NotRunning; }, 10000)) << method;
            EXPECT_EQ(gdbus.exitCode(), 0) << gdbus.readAllStandardError().toStdString();
        };
        const QString a = QString::fromUtf8(FileUriFromPath(dir.Sub("pics/a.png")));
        const QString b = QString::fromUtf8(FileUriFromPath(dir.Sub("pics/b.png")));
        call("ShowItems", {a, b});
        call("ShowFolders", {QString::fromUtf8(FileUriFromPath(dir.Sub("pics")))});
        call("ShowItemProperties", {a});
        QDBusConnection::disconnectFromBus(QStringLiteral("qorvel-test"));
    }
    bus.kill();
    bus.waitForFinished();

    using P = TFileManagerService::TPurpose;
    const QString pics = dir.Sub("pics");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].first, (std::vector<TOpenRequest>{{pics, {"a.png", "b.png"}}}));
    EXPECT_EQ(calls[1].first, (std::vector<TOpenRequest>{{pics, {}}}));
    EXPECT_EQ(calls[2].first, (std::vector<TOpenRequest>{{pics, {"a.png"}}}));
    EXPECT_EQ(calls[2].second, P::fpProperties);
}

TEST(DesktopOpen, AFileOpensItsFolderWithTheFileSelectedAfterTheSession)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    TTestDir dir;
    for (int i = 0; i < 40; ++i) dir.WriteFile(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
    TQV_MainForm form;
    form.Open({{dir.Path(), {"f35.txt"}}}); // before the last session is back: it waits for it
    TQorView* view = form.QorView();
    ASSERT_TRUE(WaitUntil([&] {
        TFileHolder* holder = view->FileHolder();
        const TPathData* current = holder ? holder->Path_Curr() : nullptr;
        return current && current->PD_PATH == dir.Path() && !holder->Listing() && holder->SelCount() == 1;
    }));
    const TFileHolder* holder = view->FileHolder();
    for (const auto& item : holder->Items())
        EXPECT_EQ(item->Selected(), item->ID_FILE_DATA.FD_NAME == "f35.txt") << item->ID_FILE_DATA.FD_NAME.toStdString();
    form.show(); // the title follows the painted place
    EXPECT_TRUE(WaitUntil([&] { return form.windowTitle().startsWith(DisplayName(dir.Path())); }))
        << form.windowTitle().toStdString();
}
