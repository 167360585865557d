#include "editor/SettingsFile.h"

#include "platform/DialogSeam.h"
#include "platform/OutputFile.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>

bool WriteSettings(QWidget &parent, const std::function<void(CSettingsStore &)> &fill,
                   const QStringList &sections, bool closing)
{
    for (;;) {
        CSettingsStore store;
        fill(store);
        try {
            store.Save(sections);
            return true;
        } catch (const CFileException &e) {
            const auto [other, label] = closing ? std::pair(QMessageBox::Discard, QStringLiteral("Close &Anyway"))
                                                : std::pair(QMessageBox::Ignore, QStringLiteral("&Keep Editing"));
            const auto answer = CDialogSeam::Current().Ask(
                &parent, QCoreApplication::applicationName(),
                QStringLiteral("The settings could not be saved to %1:\n%2").arg(store.FileName(), e.Description()),
                {{QMessageBox::Retry, QStringLiteral("&Try Again")}, {other, label}},
                closing ? QMessageBox::NoButton : QMessageBox::Ignore);
            if (answer != QMessageBox::Retry)
                return false;
        }
    }
}
