#include "tools/ShapeEntry.h"

CShapeEntry::CShapeEntry(Host &host)
    : m_host(host)
{
}

void CShapeEntry::Start(QPoint press, const Setup &setup, bool snapPress)
{
    if (IsRunning())
        return;
    m_setup = setup;
    m_copies.clear();
    for (int k = 0; k < setup.pattern.copies; ++k)
        m_copies.emplace_back(setup.pattern, k, false);
    m_shape = CObjectStorage::Create(setup.type);
    m_anchor = !snapPress ? press : setup.polarSnap ? BandEnd(press) : setup.view.PressSnap(press);
    m_anchors = {m_anchor};
    m_release = 1;
    m_band.reset();
    m_touched = QRect();
    m_overlay.Resize(setup.view.canvas);
}

void CShapeEntry::Press(Qt::MouseButton button)
{
    // Further left presses, and the middle button, do nothing.
    if (IsRunning() && button == Qt::RightButton)
        Finish();
}

void CShapeEntry::Release(Qt::MouseButton button, QPoint pos)
{
    if (!IsRunning())
        return;
    if (button == Qt::RightButton || (button == Qt::LeftButton && m_release >= EndingRelease)) {
        Finish();
        return;
    }
    if (button != Qt::LeftButton)
        return;
    // A click that gives no vertex does not count toward the limit either.
    if (const std::optional<PlacedVertex> vertex = Place(pos))
        Add(*vertex);
}

bool CShapeEntry::AddVertex(const PolarPoint &vertex)
{
    if (!IsRunning() || m_release >= EndingRelease)
        return false;
    const QPoint pixel = m_setup.view.ToPixel(vertex);
    // A typed first vertex starts the band where it is: nothing to draw yet.
    if (pixel == m_anchor && m_anchors.size() == 1) {
        m_shape->AddPoint(vertex.angle, vertex.radius);
        ++m_release;
        m_anchors.push_back(pixel);
        return true;
    }
    Add({vertex, pixel});
    return true;
}

void CShapeEntry::Add(const PlacedVertex &vertex)
{
    m_shape->AddPoint(vertex.polar.angle, vertex.polar.radius);
    // Inverts again what the last move drew here: the new segment stays
    // visible, inverted, until the shape is finished.
    ToggleBand(m_anchor, vertex.pixel);
    ++m_release;
    m_anchor = vertex.pixel;
    m_anchors.push_back(m_anchor);
}

void CShapeEntry::DoubleClick(Qt::MouseButton button)
{
    if (IsRunning() && button == Qt::RightButton)
        Finish();
}

void CShapeEntry::Move(QPoint pos)
{
    if (!IsRunning())
        return;
    const QPoint end = BandEnd(pos);
    if (m_band)
        ToggleBand(m_band->first, m_band->second);
    m_band = std::make_pair(m_anchor, end);
    ToggleBand(m_anchor, end);
}

void CShapeEntry::End()
{
    if (IsRunning())
        Finish();
}

void CShapeEntry::TakeBack()
{
    if (!IsRunning() || m_anchors.size() < 2)
        return;
    m_shape->Points().pop_back();
    m_anchors.pop_back();
    --m_release;
    m_anchor = m_anchors.back();
    // Drawn again from the vertices left: the committed segments, and the
    // band from the new last vertex to where the pointer was.
    ClearOverlay();
    for (std::size_t i = 1; i < m_anchors.size(); ++i)
        ToggleBand(m_anchors[i - 1], m_anchors[i]);
    if (m_band) {
        m_band->first = m_anchor;
        ToggleBand(m_band->first, m_band->second);
    }
}

void CShapeEntry::Abandon()
{
    if (!IsRunning())
        return;
    m_band.reset();
    ClearOverlay();
    m_shape.reset();
    m_host.ShapeFinished(nullptr);
}

std::optional<PlacedVertex> CShapeEntry::Place(QPoint pos) const
{
    return PlaceVertex(pos, m_setup.view, m_setup.polarSnap, m_setup.spokes);
}

QPoint CShapeEntry::BandEnd(QPoint pos) const
{
    if (m_setup.polarSnap) {
        if (const auto placed = PolarSnap(pos, m_setup.view, m_setup.spokes))
            return placed->pixel;
    }
    return m_setup.view.RoundSnap(pos);
}

QPoint CShapeEntry::Copied(QPoint pixel, std::size_t copy, bool mirrored) const
{
    // Turned and scaled on the screen as the pattern turns and scales the
    // design: about the centre, whatever the view's scale and rotation.
    const QPoint centre = m_setup.view.centre;
    if (copy > 0) {
        if (const auto onScreen = m_setup.view.ScreenPolar(pixel))
            pixel = m_setup.view.ScreenPixel(m_copies[copy](*onScreen));
    }
    return mirrored ? QPoint(2 * centre.x() - pixel.x(), pixel.y()) : pixel;
}

void CShapeEntry::ToggleBand(QPoint from, QPoint to)
{
    // Told once: hundreds of copies would each add to the window's update.
    QRegion changed;
    for (int mirrored = 0; mirrored <= (m_setup.pattern.mirror ? 1 : 0); ++mirrored) {
        for (std::size_t copy = 0; copy < m_copies.size(); ++copy) {
            const QRegion band = m_overlay.Toggle(Copied(from, copy, mirrored != 0),
                                                  Copied(to, copy, mirrored != 0));
            m_touched |= band.boundingRect();
            changed += band;
        }
    }
    if (!changed.isEmpty())
        m_host.OverlayChanged(changed);
}

void CShapeEntry::ClearOverlay()
{
    m_overlay.Clear(m_touched);
    if (!m_touched.isEmpty())
        m_host.OverlayChanged(m_touched);
    m_touched = QRect();
}

void CShapeEntry::Finish()
{
    m_band.reset();
    ClearOverlay();

    const auto [fill, pen] = m_host.ShapeColours();
    const ShapeColour fillColour = SplitColour(fill);
    const ShapeColour penColour = SplitColour(pen);
    m_shape->SetFillColour(fillColour.red, fillColour.green, fillColour.blue);
    m_shape->SetPenColour(penColour.red, penColour.green, penColour.blue);
    m_host.ShapeFinished(std::move(m_shape));
}
