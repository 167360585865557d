#pragma once

#include <QString>

// The per-user store of string values addressed by section and entry.
// Backed by an INI file: <XDG config>/Marbrel/vortigram.conf.
class CSettingsStore
{
public:
    static constexpr const char *Organisation = "Marbrel";
    static constexpr const char *Application = "vortigram";

    // A missing entry reads as the given default.
    QString Read(const QString &section, const QString &entry,
                 const QString &defaultValue = QString()) const;
    void Write(const QString &section, const QString &entry, const QString &value);
    // Forgets every entry of a section.
    void RemoveSection(const QString &section);
};
