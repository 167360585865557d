#include "commands/PictureCommands.h"

#include "commands/Commands.h"
#include "drawing/Animation.h"
#include "drawing/Picture.h"
#include "platform/DialogSeam.h"
#include "platform/OutputFile.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>

#include <memory>
#include <new>

namespace {

const QString ImageCaption = QStringLiteral("Export Image");
const QString AnimationCaption = QStringLiteral("Export Animation");

QString NotWritten(const QString &path, const QString &why)
{
    return QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), why);
}

QString NoMemory(QSize size)
{
    return QStringLiteral("There is not enough memory for a picture of %1 x %2 pixels.")
        .arg(size.width())
        .arg(size.height());
}

} // namespace

CPictureCommands::CPictureCommands(QWidget &window, std::function<CanvasView()> view,
                                   std::function<const ShapeList &()> design,
                                   std::function<bool()> busy)
    : m_window(window), m_view(std::move(view)), m_design(std::move(design)), m_busy(std::move(busy)),
      m_exportImage(new QAction(QStringLiteral("E&xport Image..."), this)),
      m_exportAnimation(new QAction(QStringLiteral("Export &Animation..."), this)),
      m_print(new QAction(QStringLiteral("&Print..."), this)),
      m_printGrid(new QAction(QStringLiteral("Print the &Grid"), this)),
      m_printSmooth(new QAction(QStringLiteral("&Smooth Edges"), this))
{
    m_exportImage->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    m_print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_printGrid->setCheckable(true);
    // Paper shows every stair of an edge: smooth unless turned off.
    m_printSmooth->setCheckable(true);
    m_printSmooth->setChecked(true);
    connect(m_exportImage, &QAction::triggered, this, &CPictureCommands::ExportImage);
    connect(m_exportAnimation, &QAction::triggered, this, &CPictureCommands::ExportAnimation);
    connect(m_print, &QAction::triggered, this, &CPictureCommands::Print);
}

CPictureCommands::~CPictureCommands()
{
    CancelExport();
    if (m_worker.joinable())
        m_worker.join();
    delete m_progress;
}

bool CPictureCommands::Idle() const
{
    return !m_busy() && !IsExporting();
}

QSize CPictureCommands::CanvasSize() const
{
    return m_view().viewport.canvas.expandedTo(QSize(1, 1));
}

std::optional<CPictureCommands::Asked> CPictureCommands::Ask(const QString &caption, const QString &sizeCaption,
                                                             const QString &path, PictureView &choices, bool image)
{
    PictureView chosen = choices;
    QList<CDialogSeam::Choice> offered;
    if (image)
        offered << CDialogSeam::Choice{QStringLiteral("Draw the &grid and axes"), &chosen.grid};
    offered << CDialogSeam::Choice{QStringLiteral("S&mooth edges"), &chosen.smooth}
            << CDialogSeam::Choice{QStringLiteral("Draw the &frame"), &chosen.frame};
    // GIF keeps no partly transparent pixels, PDF no page without its paper:
    // their dialogs leave the choice as it was, for the next file that can.
    const PictureFormat format = PictureFormatOf(path);
    const bool clear = format == PictureFormat::Png || format == PictureFormat::Svg || format == PictureFormat::WebP;
    if (clear)
        offered << CDialogSeam::Choice{QStringLiteral("&Transparent background"), &chosen.transparent};
    const QSize initial = image && m_imageSize ? *m_imageSize : CanvasSize();
    const auto size = CDialogSeam::Current().PictureSize(&m_window, sizeCaption, initial, LargestPictureSide, offered);
    if (!size)
        return std::nullopt;
    choices = chosen;
    if (image)
        m_imageSize = *size;
    Asked asked{chosen, {}};
    asked.look.size = *size;
    asked.look.scale = m_view().viewport.scale;
    asked.look.transparent = clear && chosen.transparent;
    // The window goes on while the file is written: it draws a copy.
    try {
        asked.shapes = CloneShapes(m_design());
    } catch (const std::bad_alloc &) {
        Say(&m_window, QMessageBox::Warning, NoMemory(*size), caption);
        return std::nullopt;
    }
    return asked;
}

void CPictureCommands::ExportImage()
{
    if (!Idle())
        return;
    const QString path = CDialogSeam::Current().ExportFileName(
        &m_window, ImageCaption,
        {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)"),
         QStringLiteral("PDF document (*.pdf)")});
    if (path.isEmpty())
        return;
    auto asked = Ask(ImageCaption, QStringLiteral("Image Size"), path, m_imageChoices, true);
    if (!asked)
        return;
    const PictureView view = asked->look;
    auto shapes = std::make_shared<const ShapeList>(std::move(asked->shapes));
    StartWriting(ImageCaption, path, 100, 500, view.size, true,
                 [path, view, shapes](const std::function<bool(int)> &progress) {
                     return WritePicture(path, view, *shapes, QFileInfo(path).completeBaseName(), progress);
                 });
}

void CPictureCommands::ExportAnimation()
{
    if (!Idle())
        return;
    const QString path = CDialogSeam::Current().ExportFileName(
        &m_window, AnimationCaption,
        {QStringLiteral("Animated GIF (*.gif)"), QStringLiteral("Animated WebP (*.webp)")});
    if (path.isEmpty())
        return;
    auto asked = Ask(AnimationCaption, QStringLiteral("Animation Size"), path, m_animationChoices, false);
    if (!asked)
        return;
    const PictureView look = asked->look;
    auto shapes = std::make_shared<const ShapeList>(std::move(asked->shapes));
    StartWriting(AnimationCaption, path, PreviewFrameCount, 0, look.size, false,
                 [path, look, shapes](const std::function<bool(int)> &progress) {
                     return WriteAnimation(path, look.size, *shapes, progress, look);
                 });
}

void CPictureCommands::StartWriting(const QString &caption, const QString &path, int steps, int showAfter,
                                    QSize size, bool image, Job job)
{
    m_progress = new QProgressDialog(QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()),
                                     QStringLiteral("Cancel"), 0, steps, &m_window);
    m_progress->setWindowTitle(caption);
    FitTitle(*m_progress);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(showAfter);
    connect(m_progress, &QProgressDialog::canceled, this, &CPictureCommands::CancelExport);
    if (showAfter == 0)
        m_progress->show();
    else
        m_progress->setValue(0); // starts the clock that shows it
    m_cancel = false;
    m_worker = std::thread([this, path, size, image, caption, job = std::move(job)] {
        bool written = false;
        QString error;
        try {
            written = job([this](int done) {
                QMetaObject::invokeMethod(this, [this, done] {
                    if (m_progress)
                        m_progress->setValue(done);
                });
                return !m_cancel;
            });
        } catch (const CFileException &e) {
            error = NotWritten(path, e.Description());
        } catch (const std::bad_alloc &) {
            error = NoMemory(size);
        }
        QMetaObject::invokeMethod(this, [this, image, written, caption, error] { Ended(image, written, caption, error); });
    });
}

void CPictureCommands::CancelExport()
{
    m_cancel = true;
}

void CPictureCommands::Ended(bool image, bool written, const QString &caption, const QString &error)
{
    m_worker.join();
    // Later: this may run inside the dialog's own setValue.
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
    }
    m_progress = nullptr;
    if (!error.isEmpty())
        Say(&m_window, QMessageBox::Warning, error, caption);
    if (image)
        emit ImageFinished(written);
    else
        emit AnimationFinished(written);
}

void CPictureCommands::Print()
{
    if (!Idle())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vortigram design"));
    CDialogSeam::Current().PrintPreview(
        &m_window, printer,
        [this](QPrinter &target) {
            QPainter painter(&target);
            PaintFitted(painter, QRect(0, 0, target.width(), target.height()), m_design(),
                        m_printGrid->isChecked(), m_printSmooth->isChecked());
        },
        {m_printGrid, m_printSmooth});
}
