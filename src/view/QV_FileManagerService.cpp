#include "view/QV_FileManagerService.h"

#include "platform/QV_Report.h"

#include <QDBusError>

namespace {

const QString ServiceName = QStringLiteral("org.freedesktop.FileManager1");
const QString ObjectPath = QStringLiteral("/org/freedesktop/FileManager1");

} // namespace

TFileManagerService::TFileManagerService(TOpenHandler onOpen, QObject* parent)
    : QObject(parent), onOpen_(std::move(onOpen))
{
}

bool TFileManagerService::Register(QDBusConnection bus)
{
    if (!bus.isConnected()) return false;
    if (!bus.registerObject(ObjectPath, this, QDBusConnection::ExportScriptableSlots)) {
        ReportFailure("File manager service", bus.lastError().message());
        return false;
    }
    if (!bus.registerService(ServiceName)) {
        ReportFailure("File manager service", bus.lastError().message());
        bus.unregisterObject(ObjectPath);
        return false;
    }
    return true;
}

void TFileManagerService::ShowFolders(const QStringList& URIs, const QString&)
{
    if (onOpen_) onOpen_(OpenRequestsFromUris(URIs, TOpenAs::oaFolders), TPurpose::fpShow);
}

void TFileManagerService::ShowItems(const QStringList& URIs, const QString&)
{
    if (onOpen_) onOpen_(OpenRequestsFromUris(URIs, TOpenAs::oaItems), TPurpose::fpShow);
}

void TFileManagerService::ShowItemProperties(const QStringList& URIs, const QString&)
{
    if (onOpen_) onOpen_(OpenRequestsFromUris(URIs, TOpenAs::oaItems), TPurpose::fpProperties);
}
