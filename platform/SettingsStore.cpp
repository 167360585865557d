#include "platform/SettingsStore.h"

#include "platform/OutputFile.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace {

// The store writes numbers and plain words; anything else is quoted the way
// QSettings reads it back.
QString IniValue(const QString &value)
{
    for (const QChar c : value) {
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-' && c != u'+') {
            QString quoted = value;
            quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
            return u'"' + quoted + u'"';
        }
    }
    return value;
}

void MakeFolder(const QString &folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder.toStdString(), error);
    if (error)
        throw CFileException(QString::fromStdString(error.message()));
}

} // namespace

CSettingsStore::CSettingsStore()
    // Asked of QSettings so that its paths (XDG_CONFIG_HOME, a test's setPath) hold.
    : m_fileName(QSettings(QSettings::NativeFormat, QSettings::UserScope, Organisation,
                           Application)
                     .fileName())
{
    // Opened by name, QSettings reads this one file and no fallbacks.
    QSettings file(m_fileName, QSettings::IniFormat);
    for (const QString &key : file.allKeys()) {
        const qsizetype slash = key.indexOf(u'/');
        const QString section = slash < 0 ? QString() : key.left(slash);
        const QVariant value = file.value(key);
        // An unquoted value with commas in a hand-edited file comes back as a
        // list; keep it as the text it was.
        m_sections[section][key.mid(slash + 1)] =
            value.typeId() == QMetaType::QStringList ? value.toStringList().join(u", ")
                                                     : value.toString();
    }
}

QString CSettingsStore::Read(const QString &section, const QString &entry,
                             const QString &defaultValue) const
{
    return m_sections.value(section).value(entry, defaultValue);
}

void CSettingsStore::Write(const QString &section, const QString &entry, const QString &value)
{
    m_sections[section][entry] = value;
}

void CSettingsStore::RemoveSection(const QString &section)
{
    m_sections.remove(section);
}

void CSettingsStore::Save(const QStringList &sections) const
{
    QByteArray text;
    for (const QString &section : sections) {
        if (section.isEmpty() || !m_sections.contains(section))
            continue;
        text += '[' + section.toUtf8() + "]\n";
        const QMap<QString, QString> &entries = m_sections[section];
        // Entry 10 after entry 9, as a reader of the file expects.
        QStringList keys = entries.keys();
        const auto order = [](const QString &key) {
            bool number = false;
            const qlonglong value = key.toLongLong(&number);
            return std::make_tuple(!number, number ? value : 0, key);
        };
        std::sort(keys.begin(), keys.end(),
                  [&](const QString &a, const QString &b) { return order(a) < order(b); });
        for (const QString &key : keys)
            text += key.toUtf8() + '=' + IniValue(entries[key]).toUtf8() + '\n';
        text += '\n';
    }
    MakeFolder(QFileInfo(m_fileName).path());
    COutputFile file(m_fileName);
    file.Write(text.constData(), static_cast<std::size_t>(text.size()));
    file.Commit();
}
