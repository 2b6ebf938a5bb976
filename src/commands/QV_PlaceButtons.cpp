#include "commands/QV_PlaceButtons.h"

#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"
#include "platform/desktop/QV_Launch.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_Mounts.h"
#include "platform/image/QV_ImageFile.h"
#include "tasks/QV_SmartTask.h"
#include "theme/QV_SkinBuffer.h"

#include <QFileInfo>
#include <QProcess>

#include <typeinfo>

namespace {

const QString IconId = QStringLiteral("ButtonIcon");

// Runs a navigation with the navigation sound off, then puts the user's
// setting back.
template <class F>
void Silently(F&& navigate)
{
    TSettingBool& sound = Settings().Media.PlayNavSound;
    const bool saved = sound;
    sound = false;
    navigate();
    sound = saved;
}

QString Comparable(const QString& path)
{
    return path.size() > 1 && path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path;
}

QString Localized(const char* section, const char* key, const char* def)
{
    const QString fallback = QString::fromLatin1(def);
    const TLocaleManager* locale = LocaleManager();
    return locale ? locale->GetLocalized(QString::fromLatin1(section), QString::fromLatin1(key), fallback) : fallback;
}

QString LastComponent(const QString& path)
{
    const QString trimmed = Comparable(path);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    const QString last = slash < 0 ? trimmed : trimmed.mid(slash + 1);
    return last.isEmpty() ? trimmed : last;
}

bool IsPicture(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == QLatin1String("png") || ext == QLatin1String("jpg") || ext == QLatin1String("jpeg") ||
           ext == QLatin1String("bmp");
}

// The file-icon theme's picture for a place: a drive by its kind, a folder, a
// program, or a file by its type (unknown.png for types without a picture).
QString PlaceIconFile(const QString& target, TPathKind kind)
{
    const QString theme = QStringLiteral("FilesThemePath:\\");
    if (kind == TPathKind::pkFolder) {
        TMountEntry mount;
        if (IsDriveRoot(target) && CurrentMountOf(target, mount)) {
            static const char* const ByType[] = {"harddrive.png", "removable.png", "cdrom.png", "ramdisk.png",
                                                 "remote.png"};
            return ResolvePath(theme + QString::fromLatin1(ByType[int(DriveTypeOf(mount))]));
        }
        return ResolvePath(theme + QStringLiteral("folder.png"));
    }
    if (IsExecutableFile(target)) return ResolvePath(theme + QStringLiteral("UnknownExe.png"));
    const QString ext = QFileInfo(target).suffix().toLower();
    const QString typed = ResolvePath(theme + ext + QStringLiteral(".png"));
    return PathKindOf(typed) == TPathKind::pkFile ? typed : ResolvePath(theme + QStringLiteral("unknown.png"));
}

void LoadIcon(TSkinBuffer& skin, const QString& file, TResizeMode mode)
{
    if (PathKindOf(file) != TPathKind::pkFile) return;
    TResizeParams params;
    params.ResizeType = mode;
    skin.LoadImage(IconId, file, params);
}

// Opens a file the way the desktop does; a device or FIFO is never opened.
void StartFile(const QString& target)
{
    if (PathKindOf(target) != TPathKind::pkFile) return;
    // The user put this file on a bar: an executable launcher starts as asked.
    const TFsStatus status = OpenKindOf(target) == TOpenKind::okProgram ? RunFile(target) : OpenDocument(target);
    if (!status) ReportFailure("Start file", status.Error().Message(), flUser);
}

}  // namespace

QString DriveCaption(const QString& Root, const QString& Written)
{
    TMountEntry mount;
    QString name = Localized("Devices", "DriveFixed", "LocalDrive");
    if (CurrentMountOf(Root, mount)) {
        const QString label = VolumeLabel(Root);
        switch (DriveTypeOf(mount)) {
        case TDriveType::dtFixed: break;
        case TDriveType::dtCdrom:
            name = label.isEmpty() ? Localized("Devices", "DriveCdRom", "DriveCdRom") : label;
            break;
        case TDriveType::dtRamdisk: name = Localized("Devices", "DriveRamDisk", "DriveRamDisk"); break;
        case TDriveType::dtRemote: name = Localized("Devices", "DriveRemote", "DriveRemote"); break;
        case TDriveType::dtRemovable:
            name = label.isEmpty() ? Localized("Devices", "DriveRemovable", "DriveRemovable") : label;
            break;
        }
    }
    return name + QStringLiteral(" (") + Written + QLatin1Char(')');
}

// --- Hover preview ---

void THoverPreview::Begin(const QString& Target)
{
    TDataCore* core = DataCore();
    THolderHost* host = HolderHost();
    TDataHolder* holder = core ? core->DC_HOLDER : nullptr;
    // Only a plain folder tab previews: a search tab has no place to return to.
    if (!host || !holder || typeid(*holder) != typeid(TFileHolder)) return;
    const QString current = FilePlace(holder);
    if (current.isEmpty() || Comparable(current) == Comparable(Target)) return;
    DefaultPath = current;
    Silently([&] { host->GoToPath(Target); });
}

void THoverPreview::End()
{
    if (DefaultPath.isEmpty()) return;
    if (THolderHost* host = HolderHost()) Silently([&] { host->GoBack(); });
    DefaultPath.clear();
}

// --- TExecButton ---

TExecButton::~TExecButton() { EndLoading(); }

void TExecButton::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    SC_ID = Params.GetValue(QStringLiteral("Button"), SC_ID);
    EB_CMD = Params.GetValue(QStringLiteral("CMD"), SC_ID);
    EB_P1 = Params.GetValue(QStringLiteral("P1"), EB_P1);
    EB_P2 = Params.GetValue(QStringLiteral("P2"), EB_P2);
    const QString target = ResolvePath(EB_CMD);
    QString caption = PathKindOf(target) == TPathKind::pkFile ? QFileInfo(target).fileName() : LastComponent(target);
    if (IsDriveRoot(target)) caption = DriveCaption(target, EB_CMD);
    AB_CAPTION = Params.GetValue(QStringLiteral("Caption"), caption);
    // The load the base started could not see this call's target yet.
    LoadImage();
}

void TExecButton::SetLoadParams(TSmartTask& Task)
{
    TActionButton::SetLoadParams(Task);
    Task.SetParam(QStringLiteral("Exec"), EB_CMD);
}

void TExecButton::LoadImage_Task(TSmartTask* SmartTask)
{
    TActionButton::LoadImage_Task(SmartTask);
    QString image, exec;
    SmartTask->GetParam(QStringLiteral("Image"), image);
    SmartTask->GetParam(QStringLiteral("Exec"), exec);
    if (!image.isEmpty() || !SmartTask->Active()) return;
    const QString target = ResolvePath(exec);
    try {
        const TPathKind kind = PathKindOf(target);
        if (kind == TPathKind::pkFile && target.endsWith(QLatin1String(".exe"))) {
            TBitmap32 icon;
            LoadImageFile(target, icon);
            if (icon.Empty()) return;
            TResizeParams params;
            params.ResizeType = rmStretch;
            AB_SKIN->LoadImage(IconId, std::move(icon), params);
            return;
        }
        if (kind != TPathKind::pkFile && kind != TPathKind::pkFolder) return;
        LoadIcon(*AB_SKIN, PlaceIconFile(target, kind), rmStretch);
        if (kind == TPathKind::pkFile && IsPicture(target)) LoadIcon(*AB_SKIN, target, rmStretchProp);
    } catch (const EImageError& error) {
        ReportFailure("Place icon", error.Message);
    } catch (...) {
        ReportCurrentException("Place icon");
    }
}

void TExecButton::On_Enter(int X, int Y)
{
    TActionButton::On_Enter(X, Y);
    const QString target = ResolvePath(EB_CMD);
    if (PathExists(target, emFolder)) Preview.Begin(target);
}

void TExecButton::On_Leave(int X, int Y)
{
    TActionButton::On_Leave(X, Y);
    Preview.End();
}

TSmartCtrl* TExecButton::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    const QString target = ResolvePath(EB_CMD);
    const TPathKind kind = PathKindOf(target);
    THolderHost* host = HolderHost();
    if (Button == mbLeft) {
        if (kind == TPathKind::pkFile && IsExecutableFile(target)) {
            if (!host || !host->OpenSelected(target, EB_P1))
                if (!LaunchProgram(target, QProcess::splitCommand(EB_P2), QFileInfo(target).absolutePath()))
                    ReportFailure("Start program", target);
        } else if (kind == TPathKind::pkFile) {
            StartFile(target);
        } else if (kind == TPathKind::pkFolder) {
            Preview.Keep();
            if (host) host->GoToPath(target);
        }
    } else if (Button == mbMiddle) {
        Preview.Keep();
        if (kind == TPathKind::pkFile) StartFile(target);
        // A tab shows a folder: a file's tab shows the folder that holds it.
        if (host && kind == TPathKind::pkFile) host->AddFileTab(QFileInfo(target).absolutePath(), true);
        if (host && kind == TPathKind::pkFolder) host->AddFileTab(target, true);
    }
    return taken;
}

// --- TBGoToMyPc ---

void TBGoToMyPc::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    AB_CAPTION = Params.GetValue(QStringLiteral("Caption"), ButtonText(QStringLiteral("Places.Computer"),
                                                                        QStringLiteral("My Computer")));
}

void TBGoToMyPc::On_Enter(int X, int Y)
{
    TActionButton::On_Enter(X, Y);
    Preview.Begin(ResolvePath(QDrivePath));
}

void TBGoToMyPc::On_Leave(int X, int Y)
{
    TActionButton::On_Leave(X, Y);
    Preview.End();
}

TSmartCtrl* TBGoToMyPc::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    THolderHost* host = HolderHost();
    if (!SC_PARENT || !host || (Button != mbLeft && Button != mbMiddle)) return taken;
    Preview.Keep();
    if (Button == mbLeft) host->GoToPath(QDrivePath);
    else host->AddFileTab(QDrivePath, true);
    return taken;
}

// --- TBGoToMyDocs ---

void TBGoToMyDocs::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    AB_CAPTION = Params.GetValue(QStringLiteral("Caption"), ButtonText(QStringLiteral("Places.MyDocuments"),
                                                                        QStringLiteral("My Documents")));
}

void TBGoToMyDocs::On_Enter(int X, int Y)
{
    TActionButton::On_Enter(X, Y);
    Preview.Begin(ResolvePath(QStringLiteral("MyDocuments:\\")));
}

void TBGoToMyDocs::On_Leave(int X, int Y)
{
    TActionButton::On_Leave(X, Y);
    Preview.End();
}

TSmartCtrl* TBGoToMyDocs::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    THolderHost* host = HolderHost();
    if (!host || (Button != mbLeft && Button != mbMiddle)) return taken;
    const QString target =
        !AB_P1.isEmpty() && PathExists(AB_P1) ? ResolvePath(AB_P1) : ResolvePath(QStringLiteral("MyDocuments:\\"));
    Preview.Keep();
    if (Button == mbLeft) host->GoToPath(target);
    else host->AddFileTab(target, true);
    return taken;
}
