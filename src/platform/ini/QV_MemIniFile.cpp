#include "platform/ini/QV_IniDocument.h"

#include "platform/ini/QV_IniFile.h"

#include <QHash>

#include <vector>

struct TMemIniFile::TData {
    struct TSection {
        QString Name;
        QList<QPair<QString, QString>> Entries;
        // Case-folded key name to its first entry; only for sections long
        // enough to be worth a table: most files hold hundreds of short ones.
        QHash<QString, qsizetype> FirstKey;

        // The first entry of the key, in any letter case; -1 without one.
        qsizetype IndexOf(const QString& key) const
        {
            const QString trimmed = TrimIniBlanks(key).toString();
            if (Entries.size() <= kShortSection) {
                for (qsizetype i = 0; i < Entries.size(); ++i)
                    if (Entries[i].first.compare(trimmed, Qt::CaseInsensitive) == 0) return i;
                return -1;
            }
            return FirstKey.value(trimmed.toCaseFolded(), -1);
        }

        void Index()
        {
            if (Entries.size() <= kShortSection) return;
            FirstKey.reserve(Entries.size());
            // Backwards, so that the first entry of a repeated key is the one kept.
            for (qsizetype i = Entries.size() - 1; i >= 0; --i) FirstKey.insert(Entries[i].first.toCaseFolded(), i);
        }
    };
    static constexpr qsizetype kShortSection = 12;
    std::vector<TSection> Sections;
    QHash<QString, qsizetype> FirstSection; // case-folded section name to its first section

    const TSection* Find(const QString& section) const
    {
        const auto it = FirstSection.constFind(TrimIniBlanks(section).toString().toCaseFolded());
        return it == FirstSection.constEnd() ? nullptr : &Sections[it.value()];
    }
};

namespace {

std::shared_ptr<const TMemIniFile::TData> Parse(const QByteArray& bytes)
{
    auto data = std::make_shared<TMemIniFile::TData>();
    const TIniDocument document = DecodeIniDocument(bytes);
    // Keys of a later section of a name already seen are parsed but never found,
    // as the first section of a name is the one read.
    TMemIniFile::TData::TSection* current = nullptr;
    for (const TIniLine& line : document.Lines) {
        const TIniLineParse parse = ParseIniLine(line.Text);
        if (parse.Kind == TIniLineKind::lkSection) {
            const QString folded = parse.Name.toString().toCaseFolded();
            if (data->FirstSection.contains(folded)) {
                current = nullptr;
                continue;
            }
            data->FirstSection.insert(folded, qsizetype(data->Sections.size()));
            data->Sections.push_back({parse.Name.toString(), {}, {}});
            current = &data->Sections.back();
        } else if (parse.Kind == TIniLineKind::lkKey && current) {
            current->Entries.append({parse.Name.toString(), parse.Value.toString()});
        }
    }
    for (TMemIniFile::TData::TSection& section : data->Sections) section.Index();
    return data;
}

} // namespace

TMemIniFile::TMemIniFile(const QString& file)
{
    const TIniFileRead read = ReadIniFile(file);
    data_ = Parse(read.State == TIniFileRead::fsRead ? read.Bytes : QByteArray());
}

TMemIniFile TMemIniFile::FromBytes(const QByteArray& bytes)
{
    TMemIniFile ini;
    ini.data_ = Parse(bytes);
    return ini;
}

QStringList TMemIniFile::Sections() const
{
    QStringList names;
    names.reserve(qsizetype(data_->Sections.size()));
    for (const TData::TSection& section : data_->Sections) names.append(section.Name);
    return names;
}

bool TMemIniFile::SectionExists(const QString& section) const { return data_->Find(section) != nullptr; }

QString TMemIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const TData::TSection* found = data_->Find(section);
    if (!found) return def;
    const qsizetype index = found->IndexOf(key);
    return index < 0 ? def : found->Entries[index].second;
}

QList<QPair<QString, QString>> TMemIniFile::SectionEntries(const QString& section) const
{
    const TData::TSection* found = data_->Find(section);
    return found ? found->Entries : QList<QPair<QString, QString>>();
}
