#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

class QWidget;

// Every modal dialog the program asks the user through: message boxes and
// questions, the Save As and Open choosers and the colour chooser. The program uses the real Qt
// dialogs; tests install a seam of their own that answers them.
class CDialogSeam
{
public:
    virtual ~CDialogSeam() = default;

    virtual QMessageBox::StandardButton Message(QWidget *parent, QMessageBox::Icon icon,
                                                const QString &caption, const QString &text,
                                                QMessageBox::StandardButtons buttons);
    // A question whose buttons carry labels of their own, the first being the
    // default; Escape answers escape (NoButton: Escape does nothing).
    using Choices = QList<std::pair<QMessageBox::StandardButton, QString>>;
    virtual QMessageBox::StandardButton Ask(QWidget *parent, const QString &caption,
                                            const QString &text, const Choices &choices,
                                            QMessageBox::StandardButton escape);
    // The chosen full path of a design file to write, or an empty string
    // when the user cancels; the dialog starts in folder. A name without an
    // extension gets defaultSuffix. Asks before an existing file is replaced.
    virtual QString SaveFileName(QWidget *parent, const QString &defaultSuffix, const QString &folder);
    // The chosen design file to open, or an empty string when the user cancels.
    virtual QString OpenFileName(QWidget *parent, const QString &folder);
    // The chosen 0x00BBGGRR colour, or nothing when the user cancels.
    virtual std::optional<std::uint32_t> ChooseColour(QWidget *parent, std::uint32_t initial);

    static CDialogSeam &Current();
    // Installs a replacement (not owned); nullptr restores the real dialogs.
    static void Install(CDialogSeam *seam);
};
