#include "files/SettingsFile.h"

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
            CDialogSeam::Choices choices{{QMessageBox::Retry, QStringLiteral("&Try Again")}};
            if (closing)
                choices.append({{QMessageBox::Discard, QStringLiteral("Close &Anyway")},
                                {QMessageBox::Cancel, QStringLiteral("Cancel")}});
            else
                choices.append({QMessageBox::Ignore, QStringLiteral("&Keep Editing")});
            const auto answer = CDialogSeam::Current().Ask(
                &parent, QCoreApplication::applicationName(),
                QStringLiteral("The settings could not be saved to %1:\n%2").arg(store.FileName(), e.Description()),
                choices, closing ? QMessageBox::Cancel : QMessageBox::Ignore);
            if (answer != QMessageBox::Retry)
                return answer != QMessageBox::Cancel;
        }
    }
}
