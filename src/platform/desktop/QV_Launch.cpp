// GIO first: Qt's keyword macros ("signals") would break its headers.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/desktop/QV_Launch.h"

#include "platform/fs/QV_FileNames.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

extern char** environ;

namespace {

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

bool IsLauncher(const QString& path) { return path.endsWith(QLatin1String(".desktop")); }

QString TakeError(GError* error)
{
    const QString text = error ? QString::fromUtf8(error->message) : QString();
    if (error) g_error_free(error);
    return text;
}

// Launches with the file as GFile argument; takes the application's reference.
TFsStatus LaunchApp(GAppInfo* app, const QByteArray& file, const QString& what)
{
    GFile* gfile = file.isEmpty() ? nullptr : g_file_new_for_path(file.constData());
    GList* files = gfile ? g_list_append(nullptr, gfile) : nullptr;
    GError* error = nullptr;
    const gboolean ok = g_app_info_launch(app, files, nullptr, &error);
    g_list_free(files);
    if (gfile) g_object_unref(gfile);
    g_object_unref(app);
    const QString reason = TakeError(error);
    if (ok) return {};
    return TFsError{0, what + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason)};
}

TFsStatus OpenWithDefaultFor(const char* contentType, const QByteArray& file, const QString& shown)
{
    GAppInfo* app = g_app_info_get_default_for_type(contentType, FALSE);
    if (!app) {
        gchar* description = g_content_type_get_description(contentType);
        const QString type = description ? QString::fromUtf8(description) : QString::fromUtf8(contentType);
        g_free(description);
        return TFsError{0, QStringLiteral("no application is set to open %1 (%2)").arg(shown, type)};
    }
    return LaunchApp(app, file, QStringLiteral("open %1").arg(shown));
}

constexpr qint64 LauncherSizeLimit = 256 * 1024;

} // namespace

bool IsExecutableFile(const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    char head[4] = {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t got = regular ? ::read(fd, head, sizeof head) : 0;
    ::close(fd);
    if (!regular || ::access(name.constData(), X_OK) != 0) return false;
    return (got >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') ||
           (got >= 2 && head[0] == '#' && head[1] == '!');
}

namespace {

// 0, or the error number of the failed start.
int Spawn(const QString& program, const QStringList& arguments, const QString& workDir)
{
    std::vector<QByteArray> storage;
    storage.push_back(EncodeFileName(program));
    for (const QString& argument : arguments) storage.push_back(EncodeFileName(argument));
    std::vector<char*> argv;
    for (QByteArray& item : storage) argv.push_back(item.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray dir = EncodeFileName(workDir);
    if (!workDir.isEmpty()) posix_spawn_file_actions_addchdir_np(&actions, dir.constData());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own session, so the program outlives us and gets none of our signals.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed;
}

} // namespace

bool LaunchProgram(const QString& program, const QStringList& arguments, const QString& workDir)
{
    return Spawn(program, arguments, workDir) == 0;
}

TOpenKind OpenKindOf(const QString& path)
{
    if (IsLauncher(path))
        return ::access(EncodeFileName(path).constData(), X_OK) == 0 ? TOpenKind::okProgram : TOpenKind::okDocument;
    return IsExecutableFile(path) ? TOpenKind::okProgram : TOpenKind::okDocument;
}

TFsStatus RunFile(const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    const QString shown = DisplayFileName(path);
    if (!IsLauncher(path)) {
        const int failed = Spawn(path, {}, FolderOf(path));
        if (failed == 0) return {};
        return TFsError{failed, QStringLiteral("run %1").arg(shown)};
    }
    GDesktopAppInfo* launcher = g_desktop_app_info_new_from_filename(name.constData());
    if (!launcher) return TFsError{0, QStringLiteral("%1 is no launcher that can be started").arg(shown)};
    return LaunchApp(G_APP_INFO(launcher), QByteArray(), QStringLiteral("start %1").arg(shown));
}

TFsStatus OpenDocument(const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    const QString shown = DisplayFileName(path);
    if (IsLauncher(path)) return OpenWithDefaultFor("text/plain", name, shown);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode)) return OpenWithDefaultFor("inode/directory", name, shown);
    // The name and the first bytes decide, as the desktop decides.
    QByteArray head(4096, Qt::Uninitialized);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    const ssize_t got = fd >= 0 ? ::read(fd, head.data(), size_t(head.size())) : -1;
    if (fd >= 0) ::close(fd);
    head.truncate(std::max<ssize_t>(got, 0));
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(name.constData(), reinterpret_cast<const guchar*>(head.constData()),
                                       size_t(head.size()), &uncertain);
    const TFsStatus status = OpenWithDefaultFor(type ? type : "application/octet-stream", name, shown);
    g_free(type);
    return status;
}

QString LauncherName(const QString& path)
{
    if (!IsLauncher(path)) return QString();
    const QByteArray name = EncodeFileName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return QString();
    struct stat st {};
    QByteArray data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= LauncherSizeLimit) {
        data.resize(st.st_size);
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
            if (n <= 0) break;
            got += n;
        }
        data.truncate(got);
    }
    ::close(fd);
    if (data.isEmpty()) return QString();
    GKeyFile* file = g_key_file_new();
    QString result;
    if (g_key_file_load_from_data(file, data.constData(), gsize(data.size()), G_KEY_FILE_NONE, nullptr)) {
        // The locale's languages, most specific first, as the desktop picks them.
        gchar* value = g_key_file_get_locale_string(file, "Desktop Entry", "Name", nullptr, nullptr);
        if (value) result = QString::fromUtf8(value).trimmed();
        g_free(value);
    }
    g_key_file_free(file);
    // A caption is one line.
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return result;
}
