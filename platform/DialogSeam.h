#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

// Every modal dialog the program asks the user through: message boxes, the
// Save As chooser and the colour chooser. The program uses the real Qt
// dialogs; tests install a seam of their own that answers them.
class CDialogSeam
{
public:
    virtual ~CDialogSeam() = default;

    virtual QMessageBox::StandardButton Message(QWidget *parent, QMessageBox::Icon icon,
                                                const QString &caption, const QString &text,
                                                QMessageBox::StandardButtons buttons);
    // The chosen full path, or an empty string when the user cancels.
    // Asks before an existing file is replaced.
    virtual QString SaveFileName(QWidget *parent, const QString &defaultSuffix);
    // The chosen 0x00BBGGRR colour, or nothing when the user cancels.
    virtual std::optional<std::uint32_t> ChooseColour(QWidget *parent, std::uint32_t initial);

    static CDialogSeam &Current();
    // Installs a replacement (not owned); nullptr restores the real dialogs.
    static void Install(CDialogSeam *seam);
};
