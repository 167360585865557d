#pragma once

#include <QSettings>
#include <QString>

// The per-user store of string values addressed by section and entry.
// Backed by an INI file: <XDG config>/Marbrel/vortigram.conf.
// A store object reads the file once and writes its changes back when it is
// destroyed, so keep one for a piece of work (such as a whole list) rather
// than one per entry: the file is parsed and written as a whole each time.
class CSettingsStore
{
public:
    static constexpr const char *Organisation = "Marbrel";
    static constexpr const char *Application = "vortigram";

    CSettingsStore();

    // A missing entry reads as the given default.
    QString Read(const QString &section, const QString &entry,
                 const QString &defaultValue = QString()) const;
    void Write(const QString &section, const QString &entry, const QString &value);
    // Forgets every entry of a section.
    void RemoveSection(const QString &section);
    // Forgets every section but these, and every entry outside a section.
    void KeepOnly(const QStringList &sections);

private:
    QSettings m_settings;
};
