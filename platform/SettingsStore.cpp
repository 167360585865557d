#include "platform/SettingsStore.h"

#include <QSettings>
#include <QStringList>

namespace {

QSettings OpenStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     CSettingsStore::Organisation, CSettingsStore::Application);
}

QString Key(const QString &section, const QString &entry)
{
    return section + QLatin1Char('/') + entry;
}

} // namespace

QString CSettingsStore::Read(const QString &section, const QString &entry,
                             const QString &defaultValue) const
{
    const QSettings settings = OpenStore();
    const QVariant value = settings.value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas in a hand-edited file comes back as a list;
    // give it back as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void CSettingsStore::Write(const QString &section, const QString &entry, const QString &value)
{
    QSettings settings = OpenStore();
    settings.setValue(Key(section, entry), value);
}

void CSettingsStore::RemoveSection(const QString &section)
{
    QSettings settings = OpenStore();
    settings.remove(section);
}
