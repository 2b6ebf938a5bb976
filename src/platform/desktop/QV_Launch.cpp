// GIO first: Qt's keyword macros ("signals") would break its headers.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/desktop/QV_Launch.h"

#include "platform/fs/QV_FileNames.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace {

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// Launches with the files as GFile arguments; takes the application's reference.
bool LaunchApp(GAppInfo* app, const QByteArray& file)
{
    if (!app) return false;
    GFile* gfile = file.isEmpty() ? nullptr : g_file_new_for_path(file.constData());
    GList* files = gfile ? g_list_append(nullptr, gfile) : nullptr;
    const gboolean ok = g_app_info_launch(app, files, nullptr, nullptr);
    g_list_free(files);
    if (gfile) g_object_unref(gfile);
    g_object_unref(app);
    return ok;
}

GAppInfo* DefaultAppFor(const char* contentType) { return g_app_info_get_default_for_type(contentType, FALSE); }

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

bool LaunchProgram(const QString& program, const QStringList& arguments, const QString& workDir)
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
    return failed == 0;
}

bool OpenFileDefault(const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    if (path.endsWith(QLatin1String(".desktop"))) {
        if (::access(name.constData(), X_OK) == 0)
            return LaunchApp(G_APP_INFO(g_desktop_app_info_new_from_filename(name.constData())), QByteArray());
        return LaunchApp(DefaultAppFor("text/plain"), name);
    }
    if (IsExecutableFile(path)) return LaunchProgram(path, {}, FolderOf(path));

    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(name.constData(), nullptr, 0, &uncertain);
    GAppInfo* app = type ? DefaultAppFor(type) : nullptr;
    g_free(type);
    return LaunchApp(app, name);
}
