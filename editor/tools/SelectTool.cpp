#include "tools/SelectTool.h"

#include "tools/Picking.h"
#include "tools/Selection.h"
#include "tools/Snap.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// A press that moves less than this is a click.
constexpr int DragDistance = 3;
// The outline and the handles reach this far past a shape's drawn box.
constexpr int OutlineReach = HandleReach + 1;

const QColor Highlight{0, 120, 215};

Places Union(const Places &a, const Places &b)
{
    Places all = a + b;
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

Places Without(const Places &a, const Places &b)
{
    Places rest;
    for (const int place : a)
        if (!b.contains(place))
            rest.append(place);
    return rest;
}

} // namespace

CSelectTool::CSelectTool(CToolHost &host)
    : m_host(host)
{
}

void CSelectTool::MousePressed(QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton || m_drag != Drag::None)
        return;
    // Until the button goes up the keys are the drag's, wherever the focus is.
    m_host.Surface().grabKeyboard();
    m_press = event.position().toPoint();
    m_modifiers = event.modifiers();
    m_moved = false;
    m_reselect.clear();
    const ShapeList &shapes = m_host.Document().Shapes();
    CSelection &selection = m_host.Selection();
    const CViewport view = m_host.EntrySetup().view;

    if (const auto handle = PickHandle(shapes, selection.Shapes(), view, m_press)) {
        m_drag = Drag::Vertex;
        m_start = Select(shapes, selection.Shapes());
        m_which = static_cast<int>(selection.Shapes().indexOf(handle->first));
        m_vertex = handle->second;
        return;
    }
    const auto hit = PickShape(shapes, m_host.ShapeBounds(), view, m_press);
    const bool shift = m_modifiers.testFlag(Qt::ShiftModifier);
    if (!hit) {
        if (!shift)
            selection.Clear();
        m_drag = Drag::Rectangle;
        return;
    }
    const Places picked = m_modifiers.testFlag(Qt::ControlModifier) ? Places{*hit} : GroupPlaces(shapes, *hit);
    if (shift) {
        selection.Set(selection.Contains(*hit) ? Without(selection.Shapes(), picked)
                                               : Union(selection.Shapes(), picked));
        EndDrag();
        return;
    }
    if (!selection.Contains(*hit) || m_modifiers.testFlag(Qt::ControlModifier))
        selection.Set(picked);
    else
        m_reselect = picked; // unless this becomes a drag of the whole selection
    m_drag = Drag::Turn;
    m_start = Select(shapes, selection.Shapes());
}

void CSelectTool::MouseMoved(QMouseEvent &event)
{
    if (m_drag == Drag::None)
        return;
    const QPoint pos = event.position().toPoint();
    if (!m_moved && (pos - m_press).manhattanLength() < DragDistance)
        return;
    if (!m_moved)
        m_dragNumber = m_dragNumber % 1000000 + 1;
    m_moved = true;
    DragTo(pos, event.modifiers());
}

void CSelectTool::DragTo(QPoint pos, Qt::KeyboardModifiers modifiers)
{
    const CShapeEntry::Setup setup = m_host.EntrySetup();
    switch (m_drag) {
    case Drag::Rectangle:
        SetBand(QRect(m_press, pos).normalized());
        break;
    case Drag::Vertex:
        if (const auto placed = PlaceVertex(pos, setup.view, setup.polarSnap, setup.spokes))
            Apply(MoveVertex(m_start, m_which, m_vertex, placed->polar), QStringLiteral("Move vertex"));
        break;
    case Drag::Turn: {
        // The pointer's turn about the centre, and the ratio of its distances.
        const auto from = setup.view.ScreenPolar(m_press);
        const auto to = setup.view.ScreenPolar(pos);
        if (!from || !to)
            break;
        double turn = to->angle - from->angle;
        if (setup.polarSnap) {
            const double step = 2 * Pi / (4 * setup.spokes);
            turn = std::round(turn / step) * step;
        }
        const double factor = modifiers.testFlag(Qt::ShiftModifier) && from->radius > 0 && to->radius > 0
                                  ? to->radius / from->radius
                                  : 1.0;
        Apply(EditVertices(m_start, TurnAndScale(turn, factor)), QStringLiteral("Turn"));
        break;
    }
    case Drag::None:
        break;
    }
}

void CSelectTool::Apply(ShapeChanges changes, const QString &name)
{
    m_changed = changes.places;
    m_host.Document().ChangeShapes(changes.places, std::move(changes.shapes), name, m_dragNumber);
}

void CSelectTool::MouseReleased(QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton || m_drag == Drag::None)
        return;
    CSelection &selection = m_host.Selection();
    if (m_drag == Drag::Rectangle && m_moved) {
        const Places inside = ShapesInside(m_host.Document().Shapes(), m_host.ShapeBounds(),
                                           m_host.EntrySetup().view, m_band);
        selection.Set(m_modifiers.testFlag(Qt::ShiftModifier) ? Union(selection.Shapes(), inside) : inside);
    } else if (!m_moved && !m_reselect.isEmpty()) {
        selection.Set(m_reselect);
    }
    EndDrag();
}

bool CSelectTool::KeyPressed(QKeyEvent &event)
{
    if (m_drag == Drag::None || event.key() != Qt::Key_Escape)
        return m_drag != Drag::None; // keys wait for the end of a drag
    // Back where the drag began: the step merges away.
    if (!m_changed.isEmpty()) {
        ShapeList before;
        for (const int place : m_changed)
            before.push_back(m_start.shapes[static_cast<std::size_t>(m_start.places.indexOf(place))]->Clone());
        m_host.Document().ChangeShapes(m_changed, std::move(before), QString(), m_dragNumber);
    }
    m_moved = false;
    m_reselect.clear();
    EndDrag();
    return true;
}

void CSelectTool::EndDrag()
{
    m_host.Surface().releaseKeyboard();
    m_drag = Drag::None;
    m_start = {};
    m_changed.clear();
    SetBand(QRect());
}

void CSelectTool::SetBand(const QRect &band)
{
    const QRegion old = m_band.adjusted(-1, -1, 1, 1);
    m_band = band;
    m_host.OverlayChanged(old + m_band.adjusted(-1, -1, 1, 1));
}

QRegion CSelectTool::SelectionArea()
{
    const std::vector<QRect> &bounds = m_host.ShapeBounds();
    QRect all;
    for (const int place : m_host.Selection().Shapes())
        all |= bounds[static_cast<std::size_t>(place)];
    return all.isNull() ? QRegion() : QRegion(all.adjusted(-OutlineReach, -OutlineReach, OutlineReach, OutlineReach));
}

void CSelectTool::SelectionMoved()
{
    const QRegion now = SelectionArea();
    m_host.OverlayChanged(m_shown + now);
    m_shown = now;
}

void CSelectTool::PaintOverlay(QPainter &painter, const QRect &area) const
{
    const ShapeList &shapes = m_host.Document().Shapes();
    const CViewport view = m_host.EntrySetup().view;
    const std::vector<QRect> &bounds = m_host.ShapeBounds();
    const QRect reach = area.adjusted(-OutlineReach, -OutlineReach, OutlineReach, OutlineReach);
    painter.save();
    painter.setClipRect(view.CanvasRect() & area);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const int place : m_host.Selection().Shapes()) {
        const auto i = static_cast<std::size_t>(place);
        if (!bounds[i].intersects(reach))
            continue;
        const std::vector<QPoint> points = DrawnPoints(*shapes[i], view);
        painter.setPen(QPen(Highlight, 0));
        painter.setBrush(Qt::NoBrush);
        if (shapes[i]->Type() == CPolyStorage::TypeValue)
            painter.drawPolygon(points.data(), static_cast<int>(points.size()));
        else
            painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        painter.setBrush(Qt::white);
        for (const QPoint &p : points)
            painter.drawRect(p.x() - HandleReach + 1, p.y() - HandleReach + 1, 2 * HandleReach - 2, 2 * HandleReach - 2);
    }
    if (!m_band.isNull()) {
        painter.setPen(QPen(Highlight, 0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_band);
    }
    painter.restore();
}
