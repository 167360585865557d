#include "commands/PictureCommands.h"

#include "commands/Commands.h"
#include "drawing/Animation.h"
#include "drawing/Picture.h"
#include "platform/DialogSeam.h"
#include "platform/OutputFile.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>

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

// The wait cursor while the window thread writes a picture.
struct CWaitCursor
{
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

CPictureCommands::CPictureCommands(QWidget &window, std::function<CanvasView()> view,
                                   std::function<const ShapeList &()> design,
                                   std::function<bool()> busy)
    : m_window(window), m_view(std::move(view)), m_design(std::move(design)), m_busy(std::move(busy)),
      m_exportImage(new QAction(QStringLiteral("E&xport Image..."), this)),
      m_exportAnimation(new QAction(QStringLiteral("Export &Animation..."), this)),
      m_print(new QAction(QStringLiteral("&Print..."), this)),
      m_printGrid(new QAction(QStringLiteral("Print the &Grid"), this))
{
    m_exportImage->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    m_print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_printGrid->setCheckable(true);
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

void CPictureCommands::ExportImage()
{
    if (!Idle())
        return;
    CDialogSeam &seam = CDialogSeam::Current();
    const QString path = seam.ExportFileName(
        &m_window, ImageCaption,
        {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)"),
         QStringLiteral("PDF document (*.pdf)")});
    if (path.isEmpty())
        return;
    bool grid = m_imageGrid;
    const auto size = seam.PictureSize(&m_window, QStringLiteral("Image Size"), CanvasSize(),
                                       LargestPictureSide, &grid);
    if (!size)
        return;
    m_imageGrid = grid;
    try {
        const CWaitCursor wait;
        WritePicture(path, {*size, m_view().viewport.scale, 0.0, grid}, m_design(),
                     QFileInfo(path).completeBaseName());
    } catch (const CFileException &e) {
        Say(&m_window, QMessageBox::Warning, NotWritten(path, e.Description()), ImageCaption);
    } catch (const std::bad_alloc &) {
        Say(&m_window, QMessageBox::Warning, NoMemory(*size), ImageCaption);
    }
}

void CPictureCommands::ExportAnimation()
{
    if (!Idle())
        return;
    CDialogSeam &seam = CDialogSeam::Current();
    const QString path = seam.ExportFileName(
        &m_window, AnimationCaption,
        {QStringLiteral("Animated GIF (*.gif)"), QStringLiteral("Animated WebP (*.webp)")});
    if (path.isEmpty())
        return;
    const auto size = seam.PictureSize(&m_window, QStringLiteral("Animation Size"), CanvasSize(),
                                       LargestPictureSide, nullptr);
    if (!size)
        return;
    // The window goes on while the frames are written: they draw a copy.
    ShapeList shapes;
    try {
        shapes.reserve(m_design().size());
        for (const auto &shape : m_design())
            shapes.push_back(shape->Clone());
    } catch (const std::bad_alloc &) {
        Say(&m_window, QMessageBox::Warning, NoMemory(*size), AnimationCaption);
        return;
    }
    m_progress = new QProgressDialog(QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()),
                                     QStringLiteral("Cancel"), 0, PreviewFrameCount, &m_window);
    m_progress->setWindowTitle(AnimationCaption);
    FitTitle(*m_progress);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    connect(m_progress, &QProgressDialog::canceled, this, &CPictureCommands::CancelExport);
    m_progress->show();
    m_cancel = false;
    m_worker = std::thread([this, path, size = *size, shapes = std::move(shapes)] {
        bool written = false;
        QString error;
        try {
            written = WriteAnimation(path, size, shapes, [this](int done) {
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
        QMetaObject::invokeMethod(this, [this, written, error] { AnimationEnded(written, error); });
    });
}

void CPictureCommands::CancelExport()
{
    m_cancel = true;
}

void CPictureCommands::AnimationEnded(bool written, const QString &error)
{
    m_worker.join();
    // Later: this may run inside the dialog's own setValue.
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
    }
    m_progress = nullptr;
    if (!error.isEmpty())
        Say(&m_window, QMessageBox::Warning, error, AnimationCaption);
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
                        m_printGrid->isChecked());
        },
        {m_printGrid});
}
