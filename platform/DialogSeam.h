#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QAction;
class QDialog;
class QPrinter;
class QWidget;

// How wide a dialog must be for the window manager's title bar to show the
// whole title: its width in the application's font, bold as title bars set
// it, and room for the bar's icon and three buttons.
int TitleWidth(const QString &title);
// Widens the dialog, once its title and content are set, to at least that
// (a message box through its buttons' row, as it sizes itself when shown).
// Every dialog the program shows gets this.
void FitTitle(QWidget &dialog);

// Every modal dialog the program asks the user through: message boxes and
// questions, the Save As, Open and export choosers, the colour chooser, the
// picture size, the print preview and the program's own dialogs. The
// program uses the real dialogs; tests install a seam of their own that
// answers them.
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
    // The chosen SVG drawing to import, or an empty string when the user cancels.
    virtual QString ImportFileName(QWidget *parent, const QString &folder);
    // The chosen 0x00BBGGRR colour, or nothing when the user cancels.
    virtual std::optional<std::uint32_t> ChooseColour(QWidget *parent, std::uint32_t initial);

    // The file to export a picture to, of one of the kinds filters name
    // ("PNG image (*.png)"): the chosen full path, given the chosen kind's
    // extension when it has none of theirs; an empty string when the user
    // cancels. Asks before an existing file is replaced.
    virtual QString ExportFileName(QWidget *parent, const QString &caption,
                                   const QStringList &filters);
    // A check box of a picture's dialog: its text with the access key, and
    // its state in, the answer out.
    struct Choice
    {
        QString text;
        bool *value;
    };
    // A picture size, each side from 1 to largest, starting at initial, and
    // the choices under it. Nothing when the user cancels.
    virtual std::optional<QSize> PictureSize(QWidget *parent, const QString &caption,
                                             QSize initial, int largest, const QList<Choice> &choices);
    // Qt's print preview of what paint draws on printer, from which the user
    // prints; extras are checkable actions on its tool bar that redraw it.
    virtual void PrintPreview(QWidget *parent, QPrinter &printer,
                              const std::function<void(QPrinter &)> &paint,
                              const QList<QAction *> &extras);

    // A dialog of the program's own, run modally: its result code
    // (QDialog::Accepted or Rejected).
    virtual int Run(QDialog &dialog);

    static CDialogSeam &Current();
    // Installs a replacement (not owned); nullptr restores the real dialogs.
    static void Install(CDialogSeam *seam);
};
