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
    const QString runtime = folder.MakeDir("runtime");
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    TXServer x;
    ASSERT_TRUE(x.Start()) << "Xvfb did not start";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x.Display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("QORVEL_REPORT_FIRST_PAINT", "1");
    env.remove("WAYLAND_DISPLAY");

    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder.Path());
    program.start(QStringLiteral(QV_QORVEL_BINARY), {});
    QByteArray output;
    ASSERT_TRUE(WaitUntil([&] {
        output += program.readAllStandardOutput();
        return output.contains("qorvel: first paint") || program.state() == QProcess::NotRunning;
    }, 30000));
    ASSERT_TRUE(output.contains("qorvel: first paint")) << program.readAllStandardError().toStdString();

    const QString window = RunTool("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Qorvel$"}, env)
                               .section('\n', 0, 0);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_EQ(Geometry(window, env), QRect(30, 40, 900, 665));

    // A click and a key reach the program, which goes on running.
    RunTool("xdotool", {"mousemove", "--window", window, "200", "200", "click", "1"}, env);
    RunTool("xdotool", {"windowfocus", "--sync", window}, env);
    RunTool("xdotool", {"key", "a", "Down", "F5"}, env);

    // One request through the repaint socket: answered once the program's event
    // loop has come round to it, so it also tells that earlier events were served.
    const auto repaintRoundTrip = [&] {
        QLocalSocket socket;
        socket.connectToServer(runtime + "/qorvel-repaint");
        if (!socket.waitForConnected(5000)) return QByteArray("no connection");
        socket.write("repaint\n");
        QByteArray answer;
        WaitUntil([&] {
            answer += socket.readAll();
            return socket.state() == QLocalSocket::UnconnectedState;
        });
        return answer + socket.readAll();
    };
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
