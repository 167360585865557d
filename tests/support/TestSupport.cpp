#include "support/TestSupport.h"

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

TempSettings::TempSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    for (auto format : {QSettings::IniFormat, QSettings::NativeFormat}) {
        QSettings::setPath(format, QSettings::UserScope, m_dir.path());
        QSettings::setPath(format, QSettings::SystemScope, m_dir.path() + "/system");
    }
}

TempSettings::~TempSettings()
{
    // Anything after this test must not inherit its folder, which goes now.
    const QString gone = QDir::tempPath() + "/vortigram-no-settings";
    for (auto format : {QSettings::IniFormat, QSettings::NativeFormat}) {
        QSettings::setPath(format, QSettings::UserScope, gone);
        QSettings::setPath(format, QSettings::SystemScope, gone);
    }
}

QString TempSettings::IniFile() const
{
    return m_dir.path() + "/" + CSettingsStore::Organisation + "/" +
           CSettingsStore::Application + ".conf";
}

void TempSettings::WriteIni(const QByteArray &content) const
{
    QDir().mkpath(QFileInfo(IniFile()).path());
    WriteFileBytes(IniFile(), content);
}

QMessageBox::StandardButton ScriptedSeam::Message(QWidget *, QMessageBox::Icon icon,
                                                  const QString &caption, const QString &text,
                                                  QMessageBox::StandardButtons buttons)
{
    messages.append({icon, caption, text, buttons});
    if (messageAnswers.empty())
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
    const auto answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

QString ScriptedSeam::SaveFileName(QWidget *, const QString &defaultSuffix)
{
    fileSuffixes.append(defaultSuffix);
    if (fileAnswers.empty())
        return QString();
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<std::uint32_t> ScriptedSeam::ChooseColour(QWidget *, std::uint32_t initial)
{
    colourInitials.append(initial);
    if (colourAnswers.empty())
        return std::nullopt;
    const auto answer = colourAnswers.front();
    colourAnswers.pop_front();
    return answer;
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}
