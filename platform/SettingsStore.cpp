#include "platform/SettingsStore.h"

#include <QStringList>

#include <algorithm>

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

void CSettingsStore::KeepOnly(const QStringList &sections)
{
    const QStringList groups = m_settings.childGroups();
    const bool foreign = !m_settings.childKeys().isEmpty() ||
                         std::any_of(groups.begin(), groups.end(), [&](const QString &group) {
                             return !sections.contains(group);
                         });
    if (!foreign)
        return;
    // Rebuilt rather than pruned: a damaged file can hold keys with empty
    // names, and removing "" would take every section with it.
    QList<std::pair<QString, QVariant>> kept;
    for (const QString &section : sections) {
        m_settings.beginGroup(section);
        for (const QString &entry : m_settings.childKeys())
            kept.append({Key(section, entry), m_settings.value(entry)});
        m_settings.endGroup();
    }
    m_settings.clear();
    for (const auto &[key, value] : kept)
        m_settings.setValue(key, value);
}
