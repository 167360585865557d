#include "platform/DialogSeam.h"

#include "platform/Colour.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QPushButton>

namespace {

CDialogSeam *g_installed = nullptr;

const QString DesignFilters = QStringLiteral("Design files (*.jvf *.JVF);;All files (*)");

} // namespace

QMessageBox::StandardButton CDialogSeam::Message(QWidget *parent, QMessageBox::Icon icon,
                                                 const QString &caption, const QString &text,
                                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton CDialogSeam::Ask(QWidget *parent, const QString &caption,
                                             const QString &text, const Choices &choices,
                                             QMessageBox::StandardButton escape)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    for (const auto &[button, label] : choices)
        box.addButton(button)->setText(label);
    if (!choices.isEmpty())
        box.setDefaultButton(choices.constFirst().first);
    // Without an escape button of its own the box would pick one itself.
    box.setEscapeButton(escape == QMessageBox::NoButton ? nullptr : box.button(escape));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString CDialogSeam::OpenFileName(QWidget *parent, const QString &folder)
{
    return QFileDialog::getOpenFileName(parent, QString(), folder, DesignFilters);
}

QString CDialogSeam::SaveFileName(QWidget *parent, const QString &defaultSuffix, const QString &folder)
{
    QFileDialog dialog(parent, QString(), folder, DesignFilters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // QFileDialog asks before replacing unless told not to.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

std::optional<std::uint32_t> CDialogSeam::ChooseColour(QWidget *parent, std::uint32_t initial)
{
    const QColor chosen =
        QColorDialog::getColor(ColourFromValue(static_cast<std::int32_t>(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return ValueFromColour(chosen);
}

CDialogSeam &CDialogSeam::Current()
{
    static CDialogSeam real;
    return g_installed ? *g_installed : real;
}

void CDialogSeam::Install(CDialogSeam *seam)
{
    g_installed = seam;
}
