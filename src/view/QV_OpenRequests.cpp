#include "view/QV_OpenRequests.h"

#include "foundation/QV_System.h"
#include "platform/QV_Report.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_FileUri.h"

#include <QHash>
#include <QSet>

namespace {

// More tabs than this from one request would bury the window.
constexpr size_t MaxOpenRequests = 64;

// Anything with a scheme before "://" is an address, not a path.
bool LooksLikeAddress(const QByteArray& argument)
{
    const qsizetype colon = argument.indexOf("://");
    if (colon <= 0) return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const char c = argument[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.'))
            return false;
    }
    return true;
}

QString WithoutTrailingDelimiter(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

// "/a/./b/../c" -> "/a/c", without touching the file system: a relative
// argument is resolved against the working folder as the shell would show it.
QString Normalized(const QString& path)
{
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts << part;
    }
    return QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

// Requests by folder, names once each; a call naming a huge number of items
// stays linear.
class TRequestList {
public:
    void AddFolder(const QString& folder) { At(folder); }
    void AddItem(const QString& path)
    {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QString folder = slash <= 0 ? QStringLiteral("/") : path.left(slash);
        const QString name = path.mid(slash + 1);
        if (name.isEmpty()) return AddFolder(folder);
        const size_t index = At(folder);
        if (names_[index].contains(name)) return;
        names_[index].insert(name);
        list_[index].Select << name;
    }
    std::vector<TOpenRequest> Take()
    {
        if (list_.size() > MaxOpenRequests) {
            ReportFailure("Open", QStringLiteral("%1 folders asked for at once; the first %2 are opened")
                                      .arg(list_.size())
                                      .arg(MaxOpenRequests),
                          flUser);
            list_.resize(MaxOpenRequests);
        }
        return std::move(list_);
    }

private:
    size_t At(const QString& folder)
    {
        const auto found = index_.constFind(folder);
        if (found != index_.cend()) return *found;
        index_.insert(folder, list_.size());
        list_.push_back({folder, {}});
        names_.emplace_back();
        return list_.size() - 1;
    }
    std::vector<TOpenRequest> list_;
    std::vector<QSet<QString>> names_;
    QHash<QString, size_t> index_;
};

// A path that names something: a folder is opened, anything else revealed.
void AddPath(TRequestList& requests, const QString& rawPath)
{
    const QString path = WithoutTrailingDelimiter(Normalized(rawPath));
    switch (PathKindOf(path)) {
    case TPathKind::pkNone:
        ReportFailure("Open", QStringLiteral("%1 does not exist").arg(DisplayFileName(path)));
        return;
    case TPathKind::pkFolder:
        requests.AddFolder(path);
        return;
    case TPathKind::pkFile:
    case TPathKind::pkOther:
        requests.AddItem(path);
        return;
    }
}

} // namespace

std::vector<TOpenRequest> OpenRequestsFrom(const QList<QByteArray>& arguments, const QString& workingFolder)
{
    TRequestList requests;
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty()) continue;
        if (IsTrashPlace(QString::fromUtf8(argument))) {
            requests.AddFolder(TrashPath);
            continue;
        }
        if (LooksLikeAddress(argument)) {
            const TFsResult<QString> path = PathFromFileUri(argument);
            if (!path) {
                ReportFailure("Open", path.Error().Message());
                continue;
            }
            AddPath(requests, path.Value());
            continue;
        }
        const QString path = DecodeFileName(argument);
        AddPath(requests, path.startsWith(QLatin1Char('/')) ? path : workingFolder + QLatin1Char('/') + path);
    }
    return requests.Take();
}

std::vector<TOpenRequest> OpenRequestsFromUris(const QStringList& uris, TOpenAs as)
{
    TRequestList requests;
    for (const QString& uri : uris) {
        if (as == TOpenAs::oaFolders && IsTrashPlace(uri)) {
            requests.AddFolder(TrashPath);
            continue;
        }
        const QByteArray bytes = uri.toUtf8();
        const TFsResult<QString> path =
            bytes.startsWith('/') ? TFsResult<QString>(DecodeFileName(bytes)) : PathFromFileUri(bytes);
        if (!path) {
            ReportFailure("Open", path.Error().Message());
            continue;
        }
        if (as == TOpenAs::oaFolders) AddPath(requests, path.Value());
        else {
            const QString item = WithoutTrailingDelimiter(Normalized(path.Value()));
            if (PathKindOf(item) == TPathKind::pkNone)
                ReportFailure("Open", QStringLiteral("%1 does not exist").arg(DisplayFileName(item)));
            else if (item == QLatin1String("/"))
                requests.AddFolder(item);
            else
                requests.AddItem(item);
        }
    }
    return requests.Take();
}
