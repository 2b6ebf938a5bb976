#include "data/QV_OpenFile.h"

#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"
#include "platform/desktop/QV_Launch.h"
#include "platform/fs/QV_FileNames.h"

namespace {

const QString ChoiceRun = QStringLiteral("Run");
const QString ChoiceOpen = QStringLiteral("Open");
const QString ChoiceAsk = QStringLiteral("Ask");

TRunChoice RememberedChoice()
{
    const QString value = Settings().Browsing.Executables;
    if (value.compare(ChoiceRun, Qt::CaseInsensitive) == 0) return TRunChoice::rcRun;
    if (value.compare(ChoiceOpen, Qt::CaseInsensitive) == 0) return TRunChoice::rcOpen;
    return TRunChoice::rcCancel;
}

void Remember(TRunChoice choice)
{
    const QString value = choice == TRunChoice::rcRun ? ChoiceRun : ChoiceOpen;
    Settings().Browsing.Executables = value;
    SaveSettingValue(QStringLiteral("Browsing"), QStringLiteral("Executables"), value);
}

void Carry(TRunChoice choice, const QString& path)
{
    if (choice == TRunChoice::rcCancel) return;
    const TFsStatus status = choice == TRunChoice::rcRun ? RunFile(path) : OpenDocument(path);
    if (status) return;
    const QString text = Localized(QStringLiteral("Messages"), QStringLiteral("CannotOpen"),
                                   QStringLiteral("Can not open: "));
    // The name on the first line; the reason, which names the whole path, below.
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    ReportFailure("Open file", text + DisplayFileName(name) + QLatin1Char('\n') + status.Error().Message(), flUser);
}

} // namespace

void OpenFileItem(const QString& Path)
{
    if (OpenKindOf(Path) == TOpenKind::okDocument) {
        Carry(TRunChoice::rcOpen, Path);
        return;
    }
    if (const TRunChoice remembered = RememberedChoice(); remembered != TRunChoice::rcCancel) {
        Carry(remembered, Path);
        return;
    }
    THolderHost* host = HolderHost();
    if (!host) return;
    host->AskRun(Path, [Path](TRunAnswer answer) {
        if (answer.Remember && answer.Choice != TRunChoice::rcCancel) Remember(answer.Choice);
        Carry(answer.Choice, Path);
    });
}
