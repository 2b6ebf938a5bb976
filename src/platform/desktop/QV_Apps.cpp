// GLib's headers before Qt's: both know the word "signals".
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gio/gunixmounts.h>

#include "platform/desktop/QV_Apps.h"

#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/desktop/QV_Launch.h"
#include "platform/fs/QV_FileNames.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace {

QString FromUtf8(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

GList* FileList(const QStringList& paths)
{
    GList* files = nullptr;
    for (const QString& path : paths) files = g_list_append(files, g_file_new_for_path(EncodeFileName(path).constData()));
    return files;
}

bool Launch(GAppInfo* app, const QStringList& paths)
{
    if (!app) return false;
    GList* files = FileList(paths);
    GError* error = nullptr;
    const gboolean ok = g_app_info_launch(app, files, nullptr, &error);
    if (error) {
        ReportFailure("LaunchApp", FromUtf8(error->message), flUser);
        g_error_free(error);
    }
    g_list_free_full(files, g_object_unref);
    return ok;
}

// The GMount whose root is mountPoint, with a reference, or nullptr.
GMount* FindMount(const QString& mountPoint)
{
    GVolumeMonitor* monitor = g_volume_monitor_get();
    GList* mounts = g_volume_monitor_get_mounts(monitor);
    GMount* found = nullptr;
    const QByteArray wanted = EncodeFileName(mountPoint.size() > 1 && mountPoint.endsWith(QLatin1Char('/')) ? mountPoint.chopped(1) : mountPoint);
    for (GList* l = mounts; l && !found; l = l->next) {
        GFile* root = g_mount_get_root(G_MOUNT(l->data));
        gchar* path = g_file_get_path(root);
        if (path && wanted == path) found = G_MOUNT(g_object_ref(l->data));
        g_free(path);
        g_object_unref(root);
    }
    g_list_free_full(mounts, g_object_unref);
    g_object_unref(monitor);
    return found;
}

}  // namespace

QString ContentTypeOf(const QString& path)
{
    GFile* file = g_file_new_for_path(EncodeFileName(path).constData());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS,
                                        nullptr, nullptr);
    QString type;
    if (info) {
        type = FromUtf8(g_file_info_get_content_type(info));
        g_object_unref(info);
    }
    g_object_unref(file);
    return type.isEmpty() ? QStringLiteral("application/octet-stream") : type;
}

QString ContentTypeDescription(const QString& contentType)
{
    gchar* text = g_content_type_get_description(contentType.toUtf8().constData());
    const QString description = FromUtf8(text);
    g_free(text);
    return description;
}

std::vector<TAppEntry> AppsForType(const QString& contentType)
{
    const QByteArray type = contentType.toUtf8();
    std::vector<TAppEntry> apps;
    GAppInfo* fallbackDefault = g_app_info_get_default_for_type(type.constData(), FALSE);
    const QString defaultId = fallbackDefault ? FromUtf8(g_app_info_get_id(fallbackDefault)) : QString();
    if (fallbackDefault) g_object_unref(fallbackDefault);
    const auto add = [&](GList* list, bool recommended) {
        for (GList* l = list; l; l = l->next) {
            GAppInfo* app = G_APP_INFO(l->data);
            const QString id = FromUtf8(g_app_info_get_id(app));
            bool seen = false;
            for (const TAppEntry& e : apps) seen = seen || e.Id == id;
            if (seen || id.isEmpty() || !g_app_info_should_show(app)) continue;
            TAppEntry entry{id, FromUtf8(g_app_info_get_display_name(app)), QString(), recommended, id == defaultId};
            if (GIcon* icon = g_app_info_get_icon(app); icon && G_IS_THEMED_ICON(icon)) {
                const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
                if (names && names[0]) entry.Icon = FromUtf8(names[0]);
            }
            apps.push_back(entry);
        }
        g_list_free_full(list, g_object_unref);
    };
    add(g_app_info_get_recommended_for_type(type.constData()), true);
    add(g_app_info_get_all_for_type(type.constData()), false);
    std::stable_partition(apps.begin(), apps.end(), [](const TAppEntry& e) { return e.Default; });
    return apps;
}

bool LaunchAppWith(const QString& appId, const QStringList& paths)
{
    GDesktopAppInfo* app = g_desktop_app_info_new(appId.toUtf8().constData());
    const bool ok = Launch(G_APP_INFO(app), paths);
    if (app) g_object_unref(app);
    return ok;
}

bool LaunchCommandWith(const QString& commandLine, const QStringList& paths)
{
    GError* error = nullptr;
    GAppInfo* app = g_app_info_create_from_commandline(commandLine.toUtf8().constData(), nullptr,
                                                       G_APP_INFO_CREATE_NONE, &error);
    if (error) {
        ReportFailure("LaunchCommand", FromUtf8(error->message), flUser);
        g_error_free(error);
    }
    const bool ok = Launch(app, paths);
    if (app) g_object_unref(app);
    return ok;
}

bool SetDefaultApp(const QString& appId, const QString& contentType)
{
    GDesktopAppInfo* app = g_desktop_app_info_new(appId.toUtf8().constData());
    if (!app) return false;
    GError* error = nullptr;
    const gboolean ok = g_app_info_set_as_default_for_type(G_APP_INFO(app), contentType.toUtf8().constData(), &error);
    if (error) {
        ReportFailure("SetDefaultApp", FromUtf8(error->message), flUser);
        g_error_free(error);
    }
    g_object_unref(app);
    return ok;
}

TMountAbilities MountAbilities(const QString& mountPoint)
{
    TMountAbilities abilities;
    GMount* mount = FindMount(mountPoint);
    if (!mount) return abilities;
    abilities.Known = true;
    abilities.CanUnmount = g_mount_can_unmount(mount);
    abilities.CanEject = g_mount_can_eject(mount);
    gchar* name = g_mount_get_name(mount);
    abilities.Name = FromUtf8(name);
    g_free(name);
    if (GVolume* volume = g_mount_get_volume(mount)) {
        gchar* device = g_volume_get_identifier(volume, G_VOLUME_IDENTIFIER_KIND_UNIX_DEVICE);
        abilities.Device = FromUtf8(device);
        g_free(device);
        g_object_unref(volume);
    }
    g_object_unref(mount);
    return abilities;
}

void UnmountVolume(const QString& mountPoint, bool eject, std::function<void(TFsStatus)> done)
{
    const auto finish = [done](TFsStatus status) {
        // The result goes to the interface thread; the worker waits for it there.
        Synchronize([&] { if (done) done(status); });
    };
    const bool started = StartThread([mountPoint, eject, finish] {
        // A context of this thread's own, so GIO's answer arrives here.
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        TFsStatus status = TFsError{ENODEV, QStringLiteral("unmount %1 (not a volume the desktop manages)").arg(DisplayFileName(mountPoint))};
        if (GMount* mount = FindMount(mountPoint)) {
            struct TState {
                bool Done = false;
                GError* Error = nullptr;
                bool Eject;
            } state{false, nullptr, eject};
            const GAsyncReadyCallback callback = [](GObject* source, GAsyncResult* result, gpointer data) {
                auto* s = static_cast<TState*>(data);
                if (s->Eject) g_mount_eject_with_operation_finish(G_MOUNT(source), result, &s->Error);
                else g_mount_unmount_with_operation_finish(G_MOUNT(source), result, &s->Error);
                s->Done = true;
            };
            if (eject && g_mount_can_eject(mount))
                g_mount_eject_with_operation(mount, G_MOUNT_UNMOUNT_NONE, nullptr, nullptr, callback, &state);
            else
                g_mount_unmount_with_operation(mount, G_MOUNT_UNMOUNT_NONE, nullptr, nullptr, callback, &state);
            while (!state.Done) g_main_context_iteration(context, TRUE);
            if (state.Error) {
                const bool busy = g_error_matches(state.Error, G_IO_ERROR, G_IO_ERROR_BUSY);
                status = TFsError{busy ? EBUSY : EIO, QStringLiteral("%1 %2: %3")
                                                          .arg(eject ? QStringLiteral("eject") : QStringLiteral("unmount"),
                                                               DisplayFileName(mountPoint), FromUtf8(state.Error->message))};
                g_error_free(state.Error);
            } else {
                status = {};
            }
            g_object_unref(mount);
        }
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
        finish(status);
    }, tpNormal);
    if (!started) finish(TFsError{EAGAIN, QStringLiteral("unmount %1").arg(DisplayFileName(mountPoint))});
}

void RevealInFileManager(const QString& path, bool select)
{
    const QByteArray uri = QByteArrayLiteral("file://") + EncodeFileName(path).toPercentEncoding("/");
    const QString folder = select ? path.left(std::max<qsizetype>(1, path.lastIndexOf(QLatin1Char('/')))) : path;
    StartThread([uri, select, folder] {
        GError* error = nullptr;
        bool shown = false;
        if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error)) {
            const gchar* uris[] = {uri.constData(), nullptr};
            GVariant* reply = g_dbus_connection_call_sync(
                bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
                select ? "ShowItems" : "ShowFolders", g_variant_new("(^ass)", uris, ""), nullptr,
                G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
            shown = reply != nullptr;
            if (reply) g_variant_unref(reply);
            g_object_unref(bus);
        }
        if (error) {
            ReportFailure("RevealInFileManager", FromUtf8(error->message));
            g_error_free(error);
        }
        if (shown) return;
        Synchronize([&] {
            const TFsStatus opened = OpenDocument(folder);
            if (!opened) ReportFailure("RevealInFileManager", opened.Error().Message(), flUser);
        });
    }, tpNormal);
}
