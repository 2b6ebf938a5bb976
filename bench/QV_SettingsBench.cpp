// The cost of LoadSettings on the shipped settings file, against the floor of
// reading that file once into the memory reader.

#include "QV_BenchSupport.h"

#include "foundation/QV_Settings.h"
#include "platform/ini/QV_IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

int main()
{
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir(folder.path()).mkdir("Data")) return 1;
    const QString settings = folder.path() + "/Data/Settings.QVS";
    if (!QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/Data/Settings.QVS"), settings)) return 1;
    QDir::setCurrent(folder.path());

    const double load = MedianMicros(2000, [] { LoadSettings(); });
    const double read = MedianMicros(2000, [&] {
        const TMemIniFile file(settings);
        if (file.ReadString(QStringLiteral("Qorvel"), QStringLiteral("Mouse"), {}).isEmpty()) std::abort();
    });
    if (int(Settings().Mouse.ClickDelay) != 250) return 1;
    PrintComparison("load_settings", load, read, "us");
    return 0;
}
