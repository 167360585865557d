#include "window/CanvasWidget.h"

#include "window/Preview.h"
#include "tools/Selection.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <utility>

namespace {

// Zoom and pan steps closer together than this are shown from the pixels
// shown so far; the exact pixels follow the last.
constexpr int RefineDelay = 60;

} // namespace

CCanvasWidget::CCanvasWidget(CDesignDocument &document, CSelection &selection, Entry entry, QWidget *parent)
    : QWidget(parent), m_document(document), m_selection(selection), m_entry(std::move(entry))
{
    setAccessibleName(QStringLiteral("Canvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The pointer's read-out and an entry's band follow every move.
    setMouseTracking(true);
    // A click on the canvas takes the keys from the Scale field, whose own
    // undo would otherwise keep Ctrl+Z from the design.
    setFocusPolicy(Qt::StrongFocus);
    ConnectDocument();
    m_refine.setSingleShot(true);
    m_refine.setInterval(RefineDelay);
    connect(&m_refine, &QTimer::timeout, this, &CCanvasWidget::Refine);
}

void CCanvasWidget::ConnectDocument()
{
    // The canvas first: the selection's outline is placed by its boxes.
    const ShapeList &shapes = m_document.Shapes();
    connect(&m_document, &CDesignDocument::ShapesAppended, this, [this, &shapes](int first) {
        Repaint(m_image.Appended(shapes, static_cast<std::size_t>(first)));
    });
    connect(&m_document, &CDesignDocument::ShapesRemoved, this,
            [this, &shapes](const Places &places) { Repaint(m_image.Removed(shapes, places)); });
    connect(&m_document, &CDesignDocument::ShapesInserted, this,
            [this, &shapes](const Places &places) { Repaint(m_image.Inserted(shapes, places)); });
    connect(&m_document, &CDesignDocument::ShapesChanged, this,
            [this, &shapes](const Places &places) { Repaint(m_image.Changed(shapes, places)); });
    connect(&m_document, &CDesignDocument::ShapesMoved, this, [this, &shapes](const Places &from, const Places &to) {
        Repaint(m_image.Moved(shapes, from, to));
    });
    connect(&m_document, &CDesignDocument::ShapesReset, this, [this] {
        m_image.Invalidate();
        Repaint(rect());
    });
    // Queued: by then every part has followed the change.
    CSelectTool &selector = m_tools.Selector();
    connect(&m_selection, &CSelection::Changed, &selector, &CSelectTool::SelectionMoved, Qt::QueuedConnection);
    for (const auto signal : {&CDesignDocument::ShapesChanged, &CDesignDocument::ShapesInserted,
                              &CDesignDocument::ShapesRemoved})
        connect(&m_document, signal, &selector, &CSelectTool::SelectionMoved, Qt::QueuedConnection);
    connect(&m_document, &CDesignDocument::ShapesMoved, &selector, &CSelectTool::SelectionMoved,
            Qt::QueuedConnection);
}

void CCanvasWidget::Repaint(const QRegion &area)
{
    if (!m_animating)
        update(area);
}

void CCanvasWidget::SetLook(double scale, int guideSpokes, bool smooth)
{
    m_view.viewport.scale = scale;
    m_view.viewport.smooth = smooth;
    m_view.guideSpokes = guideSpokes;
    ViewChanged();
}

void CCanvasWidget::SetCentre(QPoint centre)
{
    m_tools.Active().Interrupt(); // the vertices so far belong to the old centre
    m_offset = centre - CanvasCentre(size());
    m_view.viewport.centre = centre;
    ViewChanged();
}

void CCanvasWidget::ShowView(double scale, QPoint offset)
{
    m_offset = WholeSteps(offset.x(), offset.y()); // however far the wheel turns
    m_view.viewport.scale = scale;
    m_view.viewport.centre = CanvasCentre(size()) + m_offset;
    m_image.SetView(m_view, true);
    update();
    TrackPointer(m_pointer);
    m_tools.Selector().SelectionMoved(); // its outline follows
    m_refine.start();
}

void CCanvasWidget::Refine()
{
    m_refine.stop();
    if (m_image.Refine())
        update();
}

void CCanvasWidget::ViewChanged()
{
    m_image.SetView(m_view);
    update();
    TrackPointer(m_pointer);
    m_tools.Selector().SelectionMoved(); // its outline follows
}

void CCanvasWidget::TrackPointer(std::optional<QPoint> pos)
{
    m_pointer = pos;
    const CShapeEntry::Setup setup = m_entry.setup();
    const QString before = m_readout.Text();
    update(m_readout.Track(pos, m_view.viewport, setup.polarSnap, setup.spokes));
    if (m_readout.Text() != before)
        emit ReadoutChanged(m_readout.Text());
}

const std::vector<QRect> &CCanvasWidget::ShapeBounds() const
{
    return m_image.Bounds(m_document.Shapes());
}

CShapeEntry::Setup CCanvasWidget::EntrySetup() const
{
    CShapeEntry::Setup setup = m_entry.setup();
    setup.view = m_view.viewport;
    return setup;
}

void CCanvasWidget::RunPreview(std::chrono::milliseconds delay)
{
    // The frames have a view of their own: the canvas keeps its plain view,
    // whatever happens meanwhile.
    const auto frame = [this](int k) {
        m_frameView = PreviewFrameView(size(), k);
        m_frameShown = k;
        m_frame = QImage(); // painted when next asked
    };
    // What is painted before the first frame's moment is that frame.
    frame(1);
    m_animating = true;
    CPreview::Run(delay, 0.0, [this, frame](int k, const PreviewFrame &) {
        if (k != m_frameShown)
            frame(k);
        repaint();
    });
    m_animating = false;
    m_frame = QImage();
    repaint();
}

void CCanvasWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    for (const QRect &area : event->region()) {
        if (m_animating) {
            if (m_frame.isNull())
                m_frame = PaintPreviewFrame(m_frameView.viewport.canvas, m_frameShown, m_document.Shapes(), true);
            const QRect shown = area & m_frameView.viewport.CanvasRect();
            if (!shown.isEmpty() && !m_frame.isNull())
                painter.drawImage(shown.topLeft(), m_frame, FrameRect(shown));
            continue;
        }
        m_image.Paint(painter, area, m_document.Shapes());
        m_tools.Active().PaintOverlay(painter, area);
        m_readout.Paint(painter, area);
    }
}

void CCanvasWidget::resizeEvent(QResizeEvent *event)
{
    // A shape entered or a drag across a resize would mix two centres.
    m_tools.Active().Interrupt();
    QWidget::resizeEvent(event);
    // The centre, the axes and the grid move with the size.
    m_view.viewport.canvas = size();
    m_view.viewport.centre = CanvasCentre(size()) + m_offset;
    ViewChanged();
}

void CCanvasWidget::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // The grid and snapping are measured from the corner of the window's
    // client area, above the canvas.
    m_view.viewport.gridOrigin = -pos();
    ViewChanged();
}

void CCanvasWidget::TakeInputOf(QWidget &strip)
{
    strip.setMouseTracking(true);
    strip.installEventFilter(this);
}

bool CCanvasWidget::eventFilter(QObject *watched, QEvent *event)
{
    auto *strip = qobject_cast<QWidget *>(watched);
    if (!strip)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QMouseEvent here(mouse->type(), mapFromGlobal(mouse->globalPosition()), mouse->globalPosition(),
                         mouse->button(), mouse->buttons(), mouse->modifiers());
        Mouse(here);
        return true;
    }
    case QEvent::KeyPress:
        return Key(*static_cast<QKeyEvent *>(event));
    case QEvent::ContextMenu:
        // The right press that ends a shape is not also a request for the menu.
        return std::exchange(m_swallowContextMenu, false) || IsBusy();
    case QEvent::Leave:
        TrackPointer(std::nullopt);
        return false;
    default:
        return false;
    }
}

void CCanvasWidget::Mouse(QMouseEvent &event)
{
    if (m_animating)
        return;
    if (m_navigator.Mouse(event)) {
        TrackPointer(event.position().toPoint());
        return;
    }
    CAbstractTool &tool = m_tools.Active();
    switch (event.type()) {
    case QEvent::MouseButtonPress: {
        const bool wasBusy = tool.IsBusy();
        tool.MousePressed(event);
        m_swallowContextMenu = wasBusy && !tool.IsBusy();
        break;
    }
    case QEvent::MouseButtonRelease:
        tool.MouseReleased(event);
        break;
    case QEvent::MouseButtonDblClick:
        tool.MouseDoubleClicked(event);
        break;
    default:
        tool.MouseMoved(event);
        TrackPointer(event.position().toPoint());
    }
}

bool CCanvasWidget::Key(QKeyEvent &event)
{
    return m_animating || m_tools.Active().KeyPressed(event);
}

void CCanvasWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (!m_navigator.Key(*event, false))
        QWidget::keyReleaseEvent(event);
}

void CCanvasWidget::wheelEvent(QWheelEvent *event)
{
    if (!m_animating)
        m_navigator.Wheel(*event);
}

void CCanvasWidget::mousePressEvent(QMouseEvent *event)
{
    Mouse(*event);
}

void CCanvasWidget::mouseReleaseEvent(QMouseEvent *event)
{
    Mouse(*event);
}

void CCanvasWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    Mouse(*event);
}

void CCanvasWidget::mouseMoveEvent(QMouseEvent *event)
{
    Mouse(*event);
}

void CCanvasWidget::leaveEvent(QEvent *event)
{
    TrackPointer(std::nullopt);
    QWidget::leaveEvent(event);
}

void CCanvasWidget::keyPressEvent(QKeyEvent *event)
{
    // Keys no tool takes go nowhere else: the window has no use for them.
    // Space is the pan's on the canvas only, where the strip's buttons never see it.
    if (!m_animating && !m_navigator.Key(*event, true))
        Key(*event);
}

void CCanvasWidget::contextMenuEvent(QContextMenuEvent *event)
{
    // Not taken: the window's menu opens, unless the press ended a shape.
    if (std::exchange(m_swallowContextMenu, false) || IsBusy())
        return;
    event->ignore();
}

bool CCanvasWidget::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        m_tools.Active().Interrupt();
        m_navigator.Forget();
        break;
    case QEvent::FocusOut:
        m_navigator.Forget(); // Space is let go where the canvas no longer hears it
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
            m_tools.Active().Interrupt();
        break;
    case QEvent::ShortcutOverride:
        // A busy tool has every key first: Escape puts a drag back rather
        // than clearing the selection.
        if (m_tools.Active().IsBusy()) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}
