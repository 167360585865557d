#include "commands/ClipboardCommands.h"

#include "commands/Commands.h"
#include "commands/NewShapes.h"
#include "drawing/Picture.h"
#include "export/ShapeClipboard.h"
#include "platform/DialogSeam.h"
#include "tools/Selection.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QWidget>

#include <memory>
#include <new>

namespace {

const QString SvgType = QStringLiteral("image/svg+xml");
// Other programs get a picture of the shapes at most this wide and high.
constexpr int LargestClipboardPicture = 4096;

// What the clipboard holds, as a message names it.
QString Holding(const QMimeData *data)
{
    if (!data || data->formats().isEmpty())
        return QStringLiteral("nothing");
    if (data->hasImage())
        return QStringLiteral("a picture");
    if (data->hasUrls())
        return QStringLiteral("a list of files");
    if (data->hasText())
        return QStringLiteral("text");
    return QStringLiteral("data of the type %1").arg(data->formats().constFirst());
}

} // namespace

CClipboardCommands::CClipboardCommands(Context context)
    : QObject(&context.window), m_context(std::move(context))
{
    m_cut = Make(QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), [this] { Cut(); });
    m_copy = Make(QStringLiteral("C&opy"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] { Copy(); });
    m_paste = Make(QStringLiteral("P&aste"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] { Paste(); });
    m_import = Make(QStringLiteral("&Import SVG..."), QKeySequence(), [this] {
        const QString path = CDialogSeam::Current().ImportFileName(&m_context.window, m_context.folder());
        if (!path.isEmpty())
            ImportFile(path);
    });
    const auto update = [this] {
        const bool selected = !m_context.selection.IsEmpty();
        m_cut->setEnabled(selected);
        m_copy->setEnabled(selected);
    };
    connect(&m_context.selection, &CSelection::Changed, this, update);
    update();
}

QAction *CClipboardCommands::Make(const QString &text, const QKeySequence &key, const std::function<void()> &command)
{
    QAction *action = UnlessBusy(this, text, {key}, m_context.busy, command);
    m_context.window.addAction(action); // the keys work wherever the focus is in the window
    return action;
}

void CClipboardCommands::AddTo(QMenu &menu) const
{
    menu.addMenu(QStringLiteral("&Work with the Clipboard"))->addActions({m_cut, m_copy, m_paste});
}

void CClipboardCommands::Warn(const QString &text) const
{
    Say(&m_context.window, QMessageBox::Warning, text);
}

bool CClipboardCommands::Copy()
{
    if (m_context.selection.IsEmpty())
        return false;
    const SelectedShapes selected = Select(m_context.document.Shapes(), m_context.selection.Shapes());
    auto data = std::make_unique<QMimeData>();
    try {
        data->setData(QString::fromLatin1(ShapesMimeType), EncodeShapes(selected));
    } catch (const CDesignLimitError &e) {
        Warn(QStringLiteral("The shapes were not copied: %1").arg(QString::fromStdString(e.what())));
        return false;
    } catch (const std::bad_alloc &) {
        Warn(QStringLiteral("The shapes are too many to copy."));
        return false;
    }
    // The pictures are a courtesy to other programs: without the memory for
    // them, the shapes still go.
    try {
        const PictureView view = FittingView(selected.shapes, m_context.options().scale, LargestClipboardPicture);
        data->setData(SvgType, PictureBytes(PictureFormat::Svg, view, selected.shapes,
                                            QStringLiteral("Shapes from Vortigram")));
        const QImage picture = PaintPicture(view, selected.shapes);
        if (!picture.isNull())
            data->setImageData(picture);
    } catch (const std::exception &) {
    }
    QGuiApplication::clipboard()->setMimeData(data.release());
    return true;
}

void CClipboardCommands::Cut()
{
    // Nothing is removed that did not reach the clipboard.
    if (Copy())
        m_context.document.RemoveShapes(m_context.selection.Shapes(), QStringLiteral("Cut"));
}

void CClipboardCommands::Paste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const QString ownType = QString::fromLatin1(ShapesMimeType);
    if (data && data->hasFormat(ownType)) {
        ShapeList shapes;
        try {
            shapes = DecodeShapes(data->data(ownType));
        } catch (const CImportError &e) {
            Warn(ImportErrorMessage(QStringLiteral("the clipboard's shapes"), e));
            return;
        } catch (const std::bad_alloc &) {
            Warn(QStringLiteral("The clipboard's shapes are too large to paste."));
            return;
        }
        if (shapes.empty())
            Warn(QStringLiteral("The clipboard holds no shapes: nothing was pasted."));
        else
            AddOnTop(std::move(shapes), QStringLiteral("Paste"));
    } else if (data && data->hasFormat(SvgType)) {
        const QByteArray svg = data->data(SvgType);
        ImportSvgOf(QStringLiteral("the clipboard's SVG drawing"),
                    [&svg](const SvgImportOptions &options) { return ImportSvg(svg, options); });
    } else {
        Warn(QStringLiteral("The clipboard holds %1, which cannot be pasted: only shapes copied in Vortigram "
                            "and SVG drawings can.")
                 .arg(Holding(data)));
    }
}

bool CClipboardCommands::ImportFile(const QString &path)
{
    if (m_context.busy())
        return false;
    return ImportSvgOf(path, [&path](const SvgImportOptions &options) { return ImportSvg(path, options); });
}

bool CClipboardCommands::ImportSvgOf(const QString &source,
                                     const std::function<SvgImport(const SvgImportOptions &)> &read)
{
    SvgImport import;
    try {
        import = read(m_context.options());
    } catch (const CImportError &e) {
        Warn(ImportErrorMessage(source, e));
        return false;
    } catch (const std::bad_alloc &) {
        Warn(QStringLiteral("%1 is too large to import.").arg(source));
        return false;
    }
    const QString summary = ImportSummary(import);
    if (!AddOnTop(std::move(import.shapes), QStringLiteral("Import SVG")))
        return false;
    Say(&m_context.window, QMessageBox::Information, summary);
    return true;
}

bool CClipboardCommands::ImportDropped(const QStringList &files)
{
    if (files.isEmpty() || QFileInfo(files.constFirst()).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) != 0)
        return false;
    ImportFile(files.constFirst());
    if (files.size() > 1)
        Say(&m_context.window, QMessageBox::Information,
            QStringLiteral("%1 files were dropped; only the first, %2, was imported.")
                .arg(files.size())
                .arg(QFileInfo(files.constFirst()).fileName()));
    return true;
}

bool CClipboardCommands::AddOnTop(ShapeList shapes, const QString &name)
{
    const int first = static_cast<int>(m_context.document.Shapes().size());
    const int count = static_cast<int>(shapes.size());
    if (!AddWithinLimit(m_context.window, m_context.document, std::move(shapes), name))
        return false;
    m_context.tools.SetSelecting(true);
    m_context.selection.Set(PlaceRange(first, count));
    return true;
}
