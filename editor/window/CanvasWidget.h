#pragma once

#include "drawing/CanvasImage.h"
#include "tools/Readout.h"
#include "tools/ToolHost.h"
#include "tools/ToolManager.h"
#include "window/ViewNavigator.h"

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>

class CSelection;

// The canvas: a widget that shows the design through its viewport, from an
// image it keeps up to date with the document's signals. It hands its mouse
// and keys, and those of the control strip above it, to the active tool;
// paints the tool's overlay and the pointer's read-out over the design; and
// runs the Test preview's frames.
class CCanvasWidget : public QWidget, private CToolHost
{
    Q_OBJECT

public:
    // What the canvas needs of the window for a shape being entered.
    struct Entry
    {
        // Kind, copies and snapping; the view is the canvas's own.
        std::function<CShapeEntry::Setup()> setup;
        std::function<std::pair<std::int32_t, std::int32_t>()> colours;
        std::function<void(std::unique_ptr<CObjectStorage>)> ended;
    };

    CCanvasWidget(CDesignDocument &document, CSelection &selection, Entry entry, QWidget *parent);

    const CViewport &Viewport() const { return m_view.viewport; }
    // What painting reads: the viewport and the guides.
    const CanvasView &View() const { return m_view; }
    // The scale, the guides' spokes (0 for none) and whether the shapes are smooth.
    void SetLook(double scale, int guideSpokes, bool smooth = false);
    // Moves the polar centre to this pixel of the canvas; it keeps its
    // place from the middle as the canvas is resized.
    void SetCentre(QPoint centre);
    // Zoom and pan: the scale and the centre's place from the middle, shown
    // at first from the pixels shown so far, exactly once the steps pause.
    void ShowView(double scale, QPoint offset);
    // The exact pixels of the view now.
    void Refine();
    CViewNavigator &Navigator() { return m_navigator; }

    CToolManager &Tools() { return m_tools; }
    const CToolManager &Tools() const { return m_tools; }
    const CPointerReadout &Readout() const { return m_readout; }
    // A shape is being entered or dragged, or the preview runs.
    bool IsBusy() const { return m_animating || m_tools.Active().IsBusy(); }
    bool IsAnimating() const { return m_animating; }
    // The view of the preview's frame being shown, while it runs.
    const CanvasView &FrameView() const { return m_frameView; }
    // Shows the Test preview, frames delay apart, and returns at its end.
    void RunPreview(std::chrono::milliseconds delay);
    // Presses, moves and keys on the strip's empty area and labels are the canvas's.
    void TakeInputOf(QWidget &strip);
    // The read-out follows the pointer again (snapping was switched).
    void UpdateReadout() { TrackPointer(m_pointer); }

signals:
    // The pointer's read-out changed: its text, empty off the canvas.
    void ReadoutChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // CToolHost
    QWidget &Surface() override { return *this; }
    CDesignDocument &Document() override { return m_document; }
    const CDesignDocument &Document() const override { return m_document; }
    CSelection &Selection() override { return m_selection; }
    const CSelection &Selection() const override { return m_selection; }
    const std::vector<QRect> &ShapeBounds() const override;
    CShapeEntry::Setup EntrySetup() const override;
    std::pair<std::int32_t, std::int32_t> ShapeColours() const override { return m_entry.colours(); }
    void EntryEnded(std::unique_ptr<CObjectStorage> shape) override { m_entry.ended(std::move(shape)); }
    void OverlayChanged(const QRegion &area) override { update(area); }

    void ConnectDocument();
    void Mouse(QMouseEvent &event);
    bool Key(QKeyEvent &event);
    void ViewChanged();
    void TrackPointer(std::optional<QPoint> pos);
    void Repaint(const QRegion &area);

    CDesignDocument &m_document;
    CSelection &m_selection;
    Entry m_entry;
    CanvasView m_view;
    QPoint m_offset; // the centre's place from the middle of the canvas
    CCanvasImage m_image;
    // The preview's frame being shown, and its view.
    QImage m_frame;
    CanvasView m_frameView;
    int m_frameShown = 0;
    bool m_animating = false;
    bool m_swallowContextMenu = false;
    CPointerReadout m_readout;
    std::optional<QPoint> m_pointer;
    // After the document's connections to the image: the tools are told of
    // each change after the canvas.
    CToolManager m_tools{*this};
    CViewNavigator m_navigator{*this, m_document.Shapes()};
    QTimer m_refine; // the exact pixels once zoom and pan steps pause
};
