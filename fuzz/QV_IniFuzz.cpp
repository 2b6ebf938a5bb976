// The INI readers on arbitrary bytes, and one write round trip through a real file.

#include "platform/ini/QV_IniFile.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString ScratchFile()
{
    static const QString path = [] {
        char folder[] = "/tmp/qv-fuzz-ini-XXXXXX";
        if (!::mkdtemp(folder)) std::abort();
        return QString::fromLocal8Bit(folder) + QStringLiteral("/fuzz.ini");
    }();
    return path;
}

// A value as the readers give it back: without the blanks at its ends and one
// pair of enclosing quotes.
QString ReadBack(const QString& value)
{
    qsizetype from = 0, to = value.size();
    const auto blank = [&](qsizetype i) { return value[i] == u' ' || value[i] == u'\t'; };
    while (from < to && blank(from)) ++from;
    while (to > from && blank(to - 1)) --to;
    if (to - from >= 2 && (value[from] == u'"' || value[from] == u'\'') && value[to - 1] == value[from]) {
        ++from;
        --to;
    }
    return value.mid(from, to - from);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TMemIniFile ini = TMemIniFile::FromBytes(bytes);
    const QStringList sections = ini.Sections();
    for (qsizetype i = 0; i < sections.size() && i < 8; ++i) {
        if (!ini.SectionExists(sections[i])) __builtin_trap();
        const auto entries = ini.SectionEntries(sections[i]);
        if (!entries.isEmpty()) (void)ini.ReadString(sections[i], entries.front().first, {});
    }

    // Small inputs only: the write path costs a file replacement per run.
    if (size > 4096) return 0;
    const QString path = ScratchFile();
    FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const QString value = QString::fromLatin1(bytes.left(16)).remove(u'\r').remove(u'\n');
    if (IniWriteString(path, QStringLiteral("Fuzz"), QStringLiteral("Key"), value)) {
        if (IniReadString(path, QStringLiteral("fuzz"), QStringLiteral("KEY"), QStringLiteral("<none>")) != ReadBack(value))
            __builtin_trap();
        // Every section read before the write is still there.
        const QStringList after = TMemIniFile(path).Sections();
        for (const QString& section : sections)
            if (!after.contains(section)) __builtin_trap();
    }
    return 0;
}
