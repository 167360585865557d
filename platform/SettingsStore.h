#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The per-user store of string values addressed by section and entry: the
// INI file <XDG config>/Marbrel/vortigram.conf, and nothing else (no system
// or organisation-wide files). A store object reads the file once; changes
// stay in memory until Save() writes the file as a whole.
class CSettingsStore
{
public:
    static constexpr const char *Organisation = "Marbrel";
    static constexpr const char *Application = "vortigram";

    CSettingsStore();

    QString FileName() const { return m_fileName; }

    // A missing entry reads as the given default.
    QString Read(const QString &section, const QString &entry,
                 const QString &defaultValue = QString()) const;
    void Write(const QString &section, const QString &entry, const QString &value);
    // Forgets every entry of a section.
    void RemoveSection(const QString &section);

    // Replaces the file with these sections of the store, and nothing else,
    // so the noise of a damaged file does not live on. Throws CFileException
    // with the platform's reason when the file cannot be written whole.
    void Save(const QStringList &sections) const;

private:
    QString m_fileName;
    QMap<QString, QMap<QString, QString>> m_sections; // section -> entry -> value
};
