#include "platform/SettingsStore.h"

#include <QStringList>

namespace {

QString Key(const QString &section, const QString &entry)
{
    return section + QLatin1Char('/') + entry;
}

} // namespace

// On Linux the native format is the INI file <XDG config>/Marbrel/vortigram.conf;
// IniFormat would write the same text to vortigram.ini instead.
CSettingsStore::CSettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, Organisation, Application)
{
}

QString CSettingsStore::Read(const QString &section, const QString &entry,
                             const QString &defaultValue) const
{
    const QVariant value = m_settings.value(Key(section, entry));
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
    m_settings.setValue(Key(section, entry), value);
}

void CSettingsStore::RemoveSection(const QString &section)
{
    m_settings.remove(section);
}
