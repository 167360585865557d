#pragma once

#include "tools/AbstractTool.h"
#include "tools/ToolHost.h"
#include "model/ShapeEdits.h"

#include <QObject>
#include <QRect>
#include <QRegion>

// Selecting and changing what is drawn. A click picks the topmost shape
// under the pointer with its whole copy group (Ctrl: the member alone;
// Shift: adds or removes); a drag from an empty point selects the shapes
// inside a rectangle; a drag of a handle moves that vertex, placed as a
// click would place it; a drag of a selected shape turns the selection about
// the centre (Shift: and scales it). Escape during a drag puts it back.
// Selected shapes show an outline and a handle on each drawn vertex.
class CSelectTool : public QObject, public CAbstractTool
{
    Q_OBJECT

public:
    explicit CSelectTool(CToolHost &host);

    void MousePressed(QMouseEvent &event) override;
    void MouseMoved(QMouseEvent &event) override;
    void MouseReleased(QMouseEvent &event) override;
    bool KeyPressed(QKeyEvent &event) override;
    void PaintOverlay(QPainter &painter, const QRect &area) const override;
    bool IsBusy() const override { return m_drag != Drag::None; }
    void Interrupt() override { EndDrag(); }
    Qt::CursorShape Cursor() const override { return Qt::ArrowCursor; }

    // The selection or the shapes under it changed: its outline follows.
    void SelectionMoved();

private:
    enum class Drag
    {
        None,
        Rectangle,
        Vertex,
        Turn
    };

    void DragTo(QPoint pos, Qt::KeyboardModifiers modifiers);
    void Apply(ShapeChanges changes, const QString &name);
    void EndDrag();
    void SetBand(const QRect &band);
    QRegion SelectionArea();

    CToolHost &m_host;
    Drag m_drag = Drag::None;
    bool m_moved = false;          // the pointer went far enough to be a drag
    QPoint m_press;
    Qt::KeyboardModifiers m_modifiers;
    Places m_reselect;             // a plain click on a selected shape, if not a drag
    SelectedShapes m_start;        // the selection as the drag began
    int m_which = 0;               // the dragged vertex: shape (in m_start) and vertex
    int m_vertex = 0;
    Places m_changed;              // what the drag has changed so far
    int m_dragNumber = 0;
    QRect m_band;                  // the selecting rectangle, on screen
    QRegion m_shown;               // where the selection's outline is painted
};
