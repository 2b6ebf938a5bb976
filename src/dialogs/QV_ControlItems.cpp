#include "dialogs/QV_ControlItems.h"

#include "foundation/QV_System.h"
#include "foundation/QV_Utils.h"
#include "platform/ini/QV_IniFile.h"
#include "platform/fs/QV_FileSystem.h"

namespace {

QString SectionOf(const QString& control) { return control + QStringLiteral(".Items"); }
QString SettingsPath() { return ResolvePath(QStringLiteral("SettingsFile:\\")); }

// A key the INI layer can write and read back, and that the control manager
// does not take for a parameter.
QString UsableKey(QString key)
{
    key.remove(u'=');
    key.remove(u'(');
    key.remove(u')');
    key.replace(u'\n', u' ').replace(u'\r', u' ');
    key = key.trimmed();
    while (key.startsWith(u'[') || key.startsWith(u';')) key.remove(0, 1);
    return key.isEmpty() ? QStringLiteral("Item") : key;
}

} // namespace

QStringList ItemAlignWords()
{
    return {QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Top"), QStringLiteral("Bot"),
            QStringLiteral("None")};
}

QString SetItemParam(const QString& params, const QString& name, const QString& value)
{
    return ReplaceValue(params, name, value);
}

void TControlItems::Load(const QString& control)
{
    Control = control;
    Items.clear();
    for (const auto& [key, value] : IniSectionEntries(SettingsPath(), SectionOf(control))) Items.push_back({key, value});
}

bool TControlItems::Save() const
{
    const QString file = SettingsPath();
    if (PathKindOf(file) != TPathKind::pkFile) return false;
    if (!IniEraseSection(file, SectionOf(Control))) return false;
    bool ok = true;
    for (const TControlItem& item : Items) ok = IniWriteString(file, SectionOf(Control), item.Key, item.Params) && ok;
    return ok;
}

QString TControlItems::UniqueKey(const QString& base, int except) const
{
    const QString key = UsableKey(base);
    auto taken = [&](const QString& candidate) {
        for (int i = 0; i < int(Items.size()); ++i)
            if (i != except && Items[i].Key.compare(candidate, Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    if (!taken(key)) return key;
    for (int n = 1;; ++n)
        if (const QString candidate = key + u'_' + QString::number(n); !taken(candidate)) return candidate;
}

int TControlItems::Add(const QString& key)
{
    Items.push_back({UniqueKey(key), QString()});
    return int(Items.size()) - 1;
}

void TControlItems::Remove(int row)
{
    if (row >= 0 && row < int(Items.size())) Items.erase(Items.begin() + row);
}

bool TControlItems::Move(int row, int delta)
{
    const int to = row + delta;
    if (row < 0 || row >= int(Items.size()) || to < 0 || to >= int(Items.size())) return false;
    std::swap(Items[row], Items[to]);
    return true;
}
