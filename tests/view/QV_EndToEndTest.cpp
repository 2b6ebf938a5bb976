// The real program in a real X server: started in a program folder of its own,
// driven with xdotool, photographed with ImageMagick's import and stopped the
// way a session stops it. Skips when there is no Xvfb.

#include "foundation/QV_Utils.h"
#include "platform/ini/QV_IniFile.h"
#include "platform/image/QV_PngCodec.h"
#include "support/QV_TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// Runs a helper to its end and answers its standard output.
QString RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForFinished(15000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// "X=.. Y=.. WIDTH=.. HEIGHT=.." of xdotool's getwindowgeometry --shell.
QRect Geometry(const QString& window, const QProcessEnvironment& env)
{
    QMap<QString, int> values;
    for (const QString& line : RunTool("xdotool", {"getwindowgeometry", "--shell", window}, env).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) values[line.left(eq)] = line.mid(eq + 1).toInt();
    }
    return QRect(values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT"));
}

// One request through the program's local socket, answered once the program's
// event loop has come round to it.
QByteArray Ask(const QString& socketPath, const QByteArray& request)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(5000)) return "no connection";
    socket.write(request);
    QByteArray answer;
    WaitUntil([&] {
        answer += socket.readAll();
        return socket.state() == QLocalSocket::UnconnectedState;
    });
    return answer + socket.readAll();
}

class TXServer {
public:
    // Xvfb picks a free display itself and names it on its standard output.
    bool Start()
    {
        Process.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QByteArray number;
        WaitUntil([&] {
            number += Process.readAllStandardOutput();
            return number.contains('\n') || Process.state() == QProcess::NotRunning;
        }, 15000);
        Display = ":" + QString::fromLatin1(number.trimmed());
        return number.contains('\n');
    }
    ~TXServer()
    {
        Process.terminate();
        Process.waitForFinished(5000);
    }
    QProcess Process;
    QString Display;
};

// The program running in an X server of its own, from its program folder and
// with its own runtime folder, once it has painted its first frame and its
// window shows. The program ends before the server.
struct TRunningProgram {
    TXServer X;
    QProcessEnvironment Env;
    QProcess Program;
    QString Window;
    QString Runtime;  // the program's private runtime folder, with its sockets

    // Empty once it runs; else what went wrong.
    QString Start(const TTestDir& folder, const QStringList& arguments = {})
    {
        Runtime = folder.MakeDir("runtime");
        QFile::setPermissions(Runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!X.Start()) return "Xvfb did not start";
        Env = QProcessEnvironment::systemEnvironment();
        Env.insert("DISPLAY", X.Display);
        Env.insert("QT_QPA_PLATFORM", "xcb");
        Env.insert("XDG_RUNTIME_DIR", Runtime);
        Env.insert("QORVEL_REPORT_FIRST_PAINT", "1");
        Env.remove("WAYLAND_DISPLAY");
        Program.setProcessEnvironment(Env);
        Program.setWorkingDirectory(folder.Path());
        Program.start(QStringLiteral(QV_QORVEL_BINARY), arguments);
        QByteArray output;
        WaitUntil([&] {
            output += Program.readAllStandardOutput();
            return output.contains("qorvel: first paint") || Program.state() == QProcess::NotRunning;
        }, 30000);
        if (!output.contains("qorvel: first paint"))
            return "no first paint: " + QString::fromLocal8Bit(Program.readAllStandardError());
        Window = RunTool("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Qorvel$"}, Env).section('\n', 0, 0);
        return Window.isEmpty() ? QStringLiteral("no window named Qorvel") : QString();
    }
};

}  // namespace

TEST(EndToEnd, TheProgramPaintsTakesInputAndSavesItsWindowState)
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) GTEST_SKIP() << "Xvfb is not installed";

    TTestDir folder;
    ASSERT_EQ(QProcess::execute("cp", {"-r", BuildDir() + "/Data", folder.Path()}), 0);
    const QString settingsFile = folder.Sub("Data/Settings.QVS");
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "StartUp",
                               "RestoreLastSession(1), RestorePosition(1), RestoreWH(1)"));
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "Window",
                               "PosX(30), PosY(40), Width(900), Height(665), Maximized(0)"));

    TRunningProgram run;
    const QString why = run.Start(folder);
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    const QProcessEnvironment& env = run.Env;
    QProcess& program = run.Program;
    const QString& window = run.Window;
    EXPECT_EQ(Geometry(window, env), QRect(30, 40, 900, 665));

    // A click and a key reach the program, which goes on running.
    RunTool("xdotool", {"mousemove", "--window", window, "200", "200", "click", "1"}, env);
    RunTool("xdotool", {"windowfocus", "--sync", window}, env);
    RunTool("xdotool", {"key", "a", "Down", "F5"}, env);

    // One request through the repaint socket: answered once the program's event
    // loop has come round to it, so it also tells that earlier events were served.
    const auto repaintRoundTrip = [&] { return Ask(run.Runtime + "/qorvel-repaint", "repaint\n"); };
    EXPECT_EQ(repaintRoundTrip(), "1");

    // The back buffer reached the screen with the quick-drive view the program
    // starts on: white but for the tiles of the drives ("/" at least).
    const QString shot = folder.Sub("shot.png");
    int notWhite = -1;
    const auto photograph = [&] {
        RunTool("import", {"-window", window, "png:" + shot}, env);
        const TImageResult picture = LoadPngFile(shot);
        if (!picture.Ok() || picture.Bitmap.Width() != 900 || picture.Bitmap.Height() != 665) return false;
        notWhite = 0;
        for (int y = 0; y < 665; ++y)
            for (int x = 0; x < 900; ++x) notWhite += (picture.Bitmap.Pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        return notWhite > 1000;
    };
    // The drives are listed in the background; the view shows them once done.
    EXPECT_TRUE(WaitUntil(photograph, 15000)) << notWhite;
    EXPECT_LT(notWhite, 900 * 665 / 4);

    RunTool("xdotool", {"windowsize", window, "850", "640"}, env);
    RunTool("xdotool", {"windowmove", window, "60", "70"}, env);
    ASSERT_TRUE(WaitUntil([&] { return Geometry(window, env) == QRect(60, 70, 850, 640); }, 10000));
    // The X server has moved the window; the program learns it from its event
    // queue, so let it come round before it is asked to end.
    EXPECT_EQ(repaintRoundTrip(), "1");
    EXPECT_EQ(repaintRoundTrip(), "1");

    program.terminate();  // as the session ends it
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    const TParamString state{IniReadString(settingsFile, "Qorvel", "Window", "")};
    EXPECT_EQ(state.GetInt("PosX", -1), 60);
    EXPECT_EQ(state.GetInt("PosY", -1), 70);
    EXPECT_EQ(state.GetInt("Width", -1), 850);
    EXPECT_EQ(state.GetInt("Height", -1), 640);
    EXPECT_EQ(state.GetInt("Maximized", -1), 0);
    EXPECT_EQ(IniReadString(settingsFile, "Qorvel", "Mouse", ""), IniReadString(BuildDir() + "/Data/Settings.QVS",
                                                                                "Qorvel", "Mouse", ""));
}

// Selecting as users of other file managers do: arrows with Shift, Ctrl and
// Shift clicks, Ctrl+A, Escape and type-ahead, watched through the program's
// "selection" request.
TEST(EndToEnd, KeysAndModifierClicksSelectAsOnEveryDesktop)
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";

    TTestDir folder;
    ASSERT_EQ(QProcess::execute("cp", {"-r", BuildDir() + "/Data", folder.Path()}), 0);
    const QString settingsFile = folder.Sub("Data/Settings.QVS");
    // A click window of 1 ms: the clicks below, each waited for, never make a
    // double click (which would open the file).
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "Mouse",
                               "ClickDelay(1), ClickScroll(10), StickyScroll(1), WheelScroll(5)"));
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "Media", "PlayNavSound(0)"));
    const QString place = folder.MakeDir("place");
    const QStringList names{"alpha.txt", "beta.txt", "delta.txt", "epsilon.txt", "gamma.txt", "zeta.txt"};
    for (const QString& name : names) folder.WriteFile("place/" + name, "x");

    TRunningProgram run;
    const QString why = run.Start(folder, {place});
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    const QProcessEnvironment& env = run.Env;
    QProcess& program = run.Program;
    const QString& window = run.Window;
    RunTool("xdotool", {"windowfocus", "--sync", window}, env);

    // Each line of the answer: "x y width height name".
    QMap<QString, QPoint> centres;
    const auto selected = [&] {
        QStringList found;
        for (const QByteArray& line : Ask(run.Runtime + "/qorvel-repaint", "selection\n").split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 5) continue;
            const QString name = QString::fromUtf8(QByteArray::fromPercentEncoding(fields[4]));
            centres[name] = QRect(fields[0].toInt(), fields[1].toInt(), fields[2].toInt(), fields[3].toInt()).center();
            found << name;
        }
        return found;
    };
    const auto keys = [&](const QStringList& chords) {
        RunTool("xdotool", QStringList{"key", "--clearmodifiers"} + chords, env);
    };
    const auto click = [&](const QString& name, const QString& modifier) {
        const QPoint at = centres.value(name);
        QStringList arguments{"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y())};
        if (!modifier.isEmpty()) arguments << "keydown" << modifier;
        arguments << "click" << "1";
        if (!modifier.isEmpty()) arguments << "keyup" << modifier;
        RunTool("xdotool", arguments, env);
    };
    const auto becomes = [&](const QStringList& expected) {
        QStringList last;
        const bool reached = WaitUntil([&] { return (last = selected()) == expected; }, 10000);
        EXPECT_TRUE(reached) << last.join(", ").toStdString() << " instead of " << expected.join(", ").toStdString();
        return reached;
    };

    // The folder is listed in the background: Home selects once it is shown.
    ASSERT_TRUE(WaitUntil([&] {
        keys({"Home"});
        return WaitUntil([&] { return selected() == QStringList{"alpha.txt"}; }, 500);
    }, 20000));
    keys({"shift+End"});
    ASSERT_TRUE(becomes(names));  // and tells where every item is
    keys({"Escape"});
    becomes({});
    keys({"Home", "Right", "Right"});
    becomes({"delta.txt"});
    keys({"shift+Right"});
    becomes({"delta.txt", "epsilon.txt"});

    click("beta.txt", "");
    becomes({"beta.txt"});
    click("epsilon.txt", "ctrl");
    becomes({"beta.txt", "epsilon.txt"});
    click("zeta.txt", "shift");
    becomes({"epsilon.txt", "gamma.txt", "zeta.txt"});
    keys({"shift+Left"});
    becomes({"epsilon.txt", "gamma.txt"});
    click("alpha.txt", "ctrl");
    becomes({"alpha.txt", "epsilon.txt", "gamma.txt"});
    keys({"ctrl+a"});
    becomes(names);
    keys({"g"});
    becomes({"gamma.txt"});

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 0);
}

// Tabs as users handle them: Ctrl+1 opens tabs on the drives, a click on a tab
// switches to it, a middle click closes it. The program's "tabs" request says
// which holders are open and where their tabs are; the photograph must show
// as many tab shapes (and the new-tab tab behind them).
TEST(EndToEnd, TabsOpenSwitchAndCloseWithKeysAndClicks)
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty() ||
        QStandardPaths::findExecutable("import").isEmpty())
        GTEST_SKIP() << "Xvfb, xdotool or import is not installed";

    TTestDir folder;
    ASSERT_EQ(QProcess::execute("cp", {"-r", BuildDir() + "/Data", folder.Path()}), 0);
    const QString settingsFile = folder.Sub("Data/Settings.QVS");
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "StartUp",
                               "RestoreLastSession(0), RestorePosition(0), RestoreWH(0)"));
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "Media", "PlayNavSound(0)"));
    // Each click is waited for, so none makes a double click with the one before.
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "Mouse",
                               "ClickDelay(1), ClickScroll(10), StickyScroll(1), WheelScroll(5)"));
    // Without the hover preview only the click switches: the test sees that it does.
    const QString strip = IniReadString(settingsFile, "Qorvel", "SmartTabs", "");
    ASSERT_TRUE(strip.contains("TabPreview(1)"));
    ASSERT_TRUE(IniWriteString(settingsFile, "Qorvel", "SmartTabs",
                               QString(strip).replace("TabPreview(1)", "TabPreview(0)")));

    TRunningProgram run;
    const QString why = run.Start(folder);
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    const QProcessEnvironment& env = run.Env;
    QProcess& program = run.Program;
    const QString& window = run.Window;
    RunTool("xdotool", {"windowfocus", "--sync", window}, env);

    struct TTab {
        QRect Rect;
        bool Active = false;
        QString ID;
    };
    const auto tabs = [&] {
        QList<TTab> found;
        for (const QByteArray& line : Ask(run.Runtime + "/qorvel-repaint", "tabs\n").split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 6) continue;
            found.push_back({QRect(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt()), f[4] == "1",
                             QString::fromUtf8(QByteArray::fromPercentEncoding(f[5]))});
        }
        return found;
    };
    const auto activeIndex = [](const QList<TTab>& list) {
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i].Active) return int(i);
        return -1;
    };
    const auto click = [&](const QRect& r, const QString& button) {
        RunTool("xdotool", {"mousemove", "--window", window, QString::number(r.center().x()),
                            QString::number(r.center().y()), "click", button}, env);
    };

    ASSERT_EQ(tabs().size(), 1) << "the program starts on one tab";
    for (int i = 0; i < 3; ++i) RunTool("xdotool", {"key", "--clearmodifiers", "ctrl+1"}, env);
    QList<TTab> open;
    ASSERT_TRUE(WaitUntil([&] { return (open = tabs()).size() == 4; }, 10000)) << open.size();
    EXPECT_EQ(activeIndex(open), 3) << "a new tab comes forward";
    for (const TTab& tab : open) EXPECT_FALSE(tab.Rect.isEmpty()) << tab.ID.toStdString();

    click(open[1].Rect, "1");
    EXPECT_TRUE(WaitUntil([&] { return activeIndex(open = tabs()) == 1; }, 10000)) << activeIndex(open);

    const QString closed = open[2].ID;
    click(open[2].Rect, "2");
    ASSERT_TRUE(WaitUntil([&] { return (open = tabs()).size() == 3; }, 10000)) << open.size();
    for (const TTab& tab : open) EXPECT_NE(tab.ID, closed);
    EXPECT_EQ(activeIndex(open), 1) << "closing another tab keeps the one in front";
    for (qsizetype i = 1; i < open.size(); ++i)
        EXPECT_GT(open[i].Rect.left(), open[i - 1].Rect.right()) << "tabs run from the left in holder order";

    // The photograph: along a line just under the tabs' top edge, above their
    // icons and captions, every tab is one run of its own colour between gaps
    // of the strip's background. The new-tab tab follows the last one.
    RunTool("xdotool", {"mousemove", "--window", window, "450", "400"}, env);  // no hot tab
    const QString shot = folder.Sub("tabs.png");
    const int y = open[0].Rect.top() + 3;
    const int from = open[0].Rect.left() - 1;
    const int to = open.last().Rect.right() + 2 + 26 + 2;  // the spacing, the new-tab tab, the spacing
    int runs = -1;
    const auto countRuns = [&] {
        RunTool("import", {"-window", window, "png:" + shot}, env);
        const TImageResult picture = LoadPngFile(shot);
        if (!picture.Ok() || picture.Bitmap.Width() <= to) return false;
        const auto differs = [](quint32 a, quint32 b) {
            int d = 0;
            for (int shift : {0, 8, 16}) d += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
            return d > 12;
        };
        const quint32 back = picture.Bitmap.Pixel(from, y);
        runs = 0;
        bool inside = false;
        for (int px = from; px <= to; ++px) {
            const bool tab = differs(picture.Bitmap.Pixel(px, y), back);
            if (tab && !inside) ++runs;
            inside = tab;
        }
        return runs == open.size() + 1;
    };
    EXPECT_TRUE(WaitUntil(countRuns, 10000)) << runs << " tab shapes for " << open.size() << " tabs";

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 0);
}
