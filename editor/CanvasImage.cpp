#include "editor/CanvasImage.h"

#include <QPainter>

#include <algorithm>

namespace {

// An area of more boxes than this is repainted as one box: a region of many
// small rectangles costs more to walk than the pixels it spares.
constexpr std::size_t MostBoxes = 16;

// The pixels of the boxes: each box, or when there are many their bounding box.
QRegion Area(const std::vector<QRect> &boxes)
{
    if (boxes.size() <= MostBoxes) {
        QRegion area;
        for (const QRect &box : boxes)
            area += box;
        return area;
    }
    QRect all;
    for (const QRect &box : boxes)
        all |= box;
    return all;
}

void CopyArea(QImage &to, const QImage &from, const QRegion &area)
{
    QPainter painter(&to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &box : area)
        painter.drawImage(box.topLeft(), from, box);
}

} // namespace

void CCanvasImage::SetView(const CanvasView &view)
{
    if (view == m_view)
        return;
    m_view = view;
    m_underlay = QImage();
    Invalidate();
}

void CCanvasImage::Invalidate()
{
    m_current = false;
    m_boundsCurrent = false;
}

QRect CCanvasImage::BoundsOf(const CObjectStorage &shape) const
{
    const QPoint centre = CanvasCentre(m_view.client);
    return shape.DrawnBounds(m_view.scale, m_view.rotation, centre.x(), centre.y()) &
           CanvasRect(m_view.client);
}

const std::vector<QRect> &CCanvasImage::Bounds(const ShapeList &shapes) const
{
    if (!m_boundsCurrent) {
        m_bounds.clear();
        m_bounds.reserve(shapes.size());
        for (const auto &shape : shapes)
            m_bounds.push_back(BoundsOf(*shape));
        m_boundsCurrent = true;
    }
    return m_bounds;
}

QRegion CCanvasImage::Appended(const ShapeList &shapes, std::size_t first)
{
    if (!m_current) {
        Invalidate();
        return CanvasRect(m_view.client); // all of it is painted afresh anyway
    }
    for (std::size_t i = first; i < shapes.size(); ++i)
        m_bounds.push_back(BoundsOf(*shapes[i]));
    // New shapes go on top of everything: draw them over the image.
    QPainter painter(&m_image);
    return PaintAddedShapes(painter, m_view, shapes, first);
}

QRegion CCanvasImage::Removed(const ShapeList &shapes, const Places &places)
{
    if (!m_current) {
        Invalidate();
        return CanvasRect(m_view.client);
    }
    return Repaint(shapes, Area(TakeAt(m_bounds, places)));
}

QRegion CCanvasImage::Inserted(const ShapeList &shapes, const Places &places)
{
    if (!m_current) {
        Invalidate();
        return CanvasRect(m_view.client);
    }
    std::vector<QRect> added;
    for (const int place : places)
        added.push_back(BoundsOf(*shapes[static_cast<std::size_t>(place)]));
    const QRegion area = Area(added);
    PutAt(m_bounds, places, std::move(added));
    return Repaint(shapes, area);
}

QRegion CCanvasImage::Changed(const ShapeList &shapes, const Places &places)
{
    if (!m_current) {
        Invalidate();
        return CanvasRect(m_view.client);
    }
    std::vector<QRect> boxes;
    for (const int place : places) {
        QRect &box = m_bounds[static_cast<std::size_t>(place)];
        boxes.push_back(box);
        box = BoundsOf(*shapes[static_cast<std::size_t>(place)]);
        boxes.push_back(box);
    }
    return Repaint(shapes, Area(boxes));
}

QRegion CCanvasImage::Moved(const ShapeList &shapes, const Places &from, const Places &to)
{
    if (!m_current) {
        Invalidate();
        return CanvasRect(m_view.client);
    }
    std::vector<QRect> moved = TakeAt(m_bounds, from);
    const QRegion area = Area(moved);
    PutAt(m_bounds, to, std::move(moved));
    return Repaint(shapes, area);
}

QRegion CCanvasImage::Repaint(const ShapeList &shapes, QRegion area)
{
    area &= CanvasRect(m_view.client);
    if (area.rectCount() > static_cast<int>(MostBoxes))
        area = area.boundingRect();
    if (area.isEmpty())
        return area;
    if (m_underlay.isNull()) {
        m_underlay = QImage(m_view.client, QImage::Format_RGB32);
        QPainter painter(&m_underlay);
        PaintUnderlay(painter, m_view);
    }
    if (m_scratch.size() != m_view.client)
        m_scratch = QImage(m_view.client, QImage::Format_RGB32);

    // The shapes are drawn whole on the scratch image, clipped as a whole
    // paint clips them, so that every pixel of the area comes out as it
    // would there; only the area is then copied.
    CopyArea(m_scratch, m_underlay, area);
    std::vector<std::size_t> under;
    for (std::size_t i = 0; i < m_bounds.size(); ++i)
        if (area.intersects(m_bounds[i]))
            under.push_back(i);
    {
        QPainter painter(&m_scratch);
        PaintShapesAt(painter, m_view, shapes, under);
        if (!m_view.animating)
            for (const QRect &box : area)
                PaintDots(painter, m_view.client, box);
    }
    CopyArea(m_image, m_scratch, area);
    return area;
}

void CCanvasImage::Paint(QPainter &painter, const QRect &area, const ShapeList &shapes)
{
    if (!m_current) {
        if (m_image.size() != m_view.client)
            m_image = QImage(m_view.client, QImage::Format_RGB32);
        PaintCanvasInParallel(m_image, m_view, shapes);
        Bounds(shapes);
        m_current = true;
    }
    const QRect shown = area & CanvasRect(m_view.client);
    if (!shown.isEmpty())
        painter.drawImage(shown.topLeft(), m_image, shown);
}
