#include "platform/DialogSeam.h"

#include <QColorDialog>
#include <QFileDialog>

namespace {

CDialogSeam *g_installed = nullptr;

} // namespace

QMessageBox::StandardButton CDialogSeam::Message(QWidget *parent, QMessageBox::Icon icon,
                                                 const QString &caption, const QString &text,
                                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString CDialogSeam::SaveFileName(QWidget *parent, const QString &defaultSuffix)
{
    QFileDialog dialog(parent);
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
    const QColor start(static_cast<int>(initial & 0xFF), static_cast<int>((initial >> 8) & 0xFF),
                       static_cast<int>((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(chosen.red()) |
           (static_cast<std::uint32_t>(chosen.green()) << 8) |
           (static_cast<std::uint32_t>(chosen.blue()) << 16);
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
