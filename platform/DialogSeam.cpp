#include "platform/DialogSeam.h"

#include "platform/Colour.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolBar>

namespace {

CDialogSeam *g_installed = nullptr;

const QString DesignFilters = QStringLiteral("Design files (*.jvf *.JVF);;All files (*)");

// The title bar's icon, its three buttons, the gaps between them and the
// label's padding: about eight lines of the title's font (openbox's own
// theme needs a little over seven).
constexpr int TitleBarRoom = 8;

} // namespace

int TitleWidth(const QString &title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + TitleBarRoom * metrics.height();
}

void FitTitle(QWidget &dialog)
{
    int width = TitleWidth(dialog.windowTitle());
    if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
        auto *buttons = box->findChild<QDialogButtonBox *>();
        const QMargins margins = box->layout() ? box->layout()->contentsMargins() : QMargins();
        if (buttons)
            buttons->setMinimumWidth(width - margins.left() - margins.right());
        return;
    }
    if (const QLayout *layout = dialog.layout())
        width = std::max(width, layout->totalMinimumSize().width());
    if (dialog.minimumWidth() < width) {
        dialog.setMaximumWidth(std::max(dialog.maximumWidth(), width));
        dialog.setMinimumWidth(width);
    }
}

QMessageBox::StandardButton CDialogSeam::Message(QWidget *parent, QMessageBox::Icon icon,
                                                 const QString &caption, const QString &text,
                                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    FitTitle(box);
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
    FitTitle(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

namespace {

// The file chosen in the dialog, or an empty string when the user cancels.
QString Chosen(QFileDialog &dialog)
{
    FitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString CDialogSeam::OpenFileName(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QString(), folder, DesignFilters);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Chosen(dialog);
}

QString CDialogSeam::ImportFileName(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QStringLiteral("Import SVG"), folder,
                       QStringLiteral("SVG drawings (*.svg *.SVG);;All files (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Chosen(dialog);
}

QString CDialogSeam::SaveFileName(QWidget *parent, const QString &defaultSuffix, const QString &folder)
{
    QFileDialog dialog(parent, QString(), folder, DesignFilters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // QFileDialog asks before replacing unless told not to.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    return Chosen(dialog);
}

std::optional<std::uint32_t> CDialogSeam::ChooseColour(QWidget *parent, std::uint32_t initial)
{
    QColorDialog dialog(ColourFromValue(static_cast<std::int32_t>(initial)), parent);
    FitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ValueFromColour(dialog.selectedColor());
}

QString CDialogSeam::ExportFileName(QWidget *parent, const QString &caption,
                                    const QStringList &filters)
{
    // The extension of a filter: "png" of "PNG image (*.png)".
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const auto suffix = [](const QString &filter) { return pattern.match(filter).captured(1); };
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    // The dialog adds the suffix to a name without one, before it asks
    // about replacing a file.
    dialog.setDefaultSuffix(suffix(filters.value(0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString &filter) { dialog.setDefaultSuffix(suffix(filter)); });
    QString path = Chosen(dialog);
    if (path.isEmpty())
        return path;
    QStringList known;
    for (const QString &filter : filters)
        known << suffix(filter);
    if (known.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive))
        return path;
    // "a.b" with PNG chosen: the dialog asked about a.b, not a.b.png.
    path += u'.' + suffix(dialog.selectedNameFilter());
    if (QFileInfo::exists(path) &&
        Message(parent, QMessageBox::Warning, caption,
                QStringLiteral("%1 already exists.\nDo you want to replace it?")
                    .arg(QFileInfo(path).fileName()),
                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return QString();
    return path;
}

std::optional<QSize> CDialogSeam::PictureSize(QWidget *parent, const QString &caption,
                                              QSize initial, int largest, const QList<Choice> &choices)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto *form = new QFormLayout(&dialog);
    QSpinBox *sides[2];
    for (int i = 0; i < 2; ++i) {
        sides[i] = new QSpinBox(&dialog);
        sides[i]->setRange(1, largest);
        sides[i]->setSuffix(QStringLiteral(" px"));
        sides[i]->setValue(i == 0 ? initial.width() : initial.height());
        form->addRow(i == 0 ? QStringLiteral("&Width:") : QStringLiteral("&Height:"), sides[i]);
    }
    QList<QCheckBox *> boxes;
    for (const Choice &choice : choices) {
        boxes << new QCheckBox(choice.text, &dialog);
        boxes.back()->setChecked(*choice.value);
        form->addRow(boxes.back());
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    FitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    for (qsizetype i = 0; i < choices.size(); ++i)
        *choices[i].value = boxes[i]->isChecked();
    return QSize(sides[0]->value(), sides[1]->value());
}

int CDialogSeam::Run(QDialog &dialog)
{
    return dialog.exec();
}

void CDialogSeam::PrintPreview(QWidget *parent, QPrinter &printer,
                               const std::function<void(QPrinter &)> &paint,
                               const QList<QAction *> &extras)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter *target) { paint(*target); });
    auto *toolBar = dialog.findChild<QToolBar *>();
    auto *preview = dialog.findChild<QPrintPreviewWidget *>();
    if (toolBar && preview && !extras.isEmpty()) {
        toolBar->addSeparator();
        for (QAction *extra : extras) {
            toolBar->addAction(extra);
            QObject::connect(extra, &QAction::toggled, preview, &QPrintPreviewWidget::updatePreview);
        }
    }
    FitTitle(dialog);
    dialog.exec(); // the tool bar and its connections go with the dialog
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
