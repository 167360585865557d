#include "files/RecoveryPrompt.h"

#include "export/Recovery.h"
#include "model/Copies.h"
#include "model/DesignDocument.h"
#include "commands/Commands.h"
#include "platform/DialogSeam.h"
#include "platform/OutputFile.h"

#include <QCoreApplication>

#include <new>

namespace {

// The design in the crash copy, or nothing after telling the user why not.
std::optional<ShapeList> Replayed(QWidget *parent, CCrashCopy &copy)
{
    const QString name = copy.FileName();
    const QString stays = QStringLiteral("\nIt stays, to be offered again at the next start.");
    try {
        return copy.Replay();
    } catch (const CJournalError &e) {
        const QString aside = copy.SetAside();
        Say(parent, QMessageBox::Warning, QStringLiteral("The recovery copy %1 cannot be restored.\n%2\n").arg(name, e.what()) +
                         (aside.isEmpty() ? QStringLiteral("It could not be renamed; it stays where it is.")
                                          : QStringLiteral("It was renamed to %1.").arg(aside)));
    } catch (const CFileException &e) {
        Say(parent, QMessageBox::Warning, QStringLiteral("The recovery copy %1 cannot be read: %2.").arg(name, e.Description()) + stays);
    } catch (const std::bad_alloc &) {
        Say(parent, QMessageBox::Warning, QStringLiteral("The recovery copy %1 is too large to restore in the memory there is.").arg(name) + stays);
    }
    return std::nullopt;
}

} // namespace

bool OfferRecovery(QWidget *parent, CRecoveryFile &recovery, CDesignDocument &document)
{
    for (CCrashCopy &copy : recovery.Orphans()) {
        std::optional<ShapeList> shapes = Replayed(parent, copy);
        if (!shapes)
            continue;
        // A run that ended with an empty design left nothing to lose.
        if (shapes->empty()) {
            copy.Discard();
            continue;
        }
        const auto answer = CDialogSeam::Current().Ask(
            parent, QCoreApplication::applicationName(),
            QStringLiteral("Vortigram did not end normally while a design of %1 was being "
                           "edited. Restore that design?")
                .arg(shapes->size() == 1 ? QStringLiteral("1 shape")
                                         : QStringLiteral("%1 shapes").arg(shapes->size())),
            {{QMessageBox::Yes, QStringLiteral("Yes")}, {QMessageBox::No, QStringLiteral("No")}},
            QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            copy.Discard();
            continue;
        }
        // Restored, but not exported: closing asks about it as about any change.
        // A journal keeps no copy groups: found again as for an opened file.
        RecogniseGroups(*shapes);
        // The copy becomes this run's own before the design is restored from it.
        bool moved = true;
        try {
            recovery.TakeOver(copy, *shapes);
        } catch (const CFileException &) {
            moved = false;
        }
        document.ReplaceAll(std::move(*shapes), QStringLiteral("Restore design"));
        if (moved)
            return true;
        try {
            // Not moved: the old copy goes only once this run's own holds the design.
            recovery.Flush();
            copy.Discard();
        } catch (const CFileException &e) {
            const QString why = e.Description();
            Say(parent, QMessageBox::Warning, QStringLiteral("The recovery copy could not be written: ") + why +
                             (why.endsWith('.') ? "" : "."));
        }
        return true;
    }
    return false;
}
