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

void CopyArea(QImage &to, const QImage &from, const QRect &box)
{
    QPainter painter(&to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(box.topLeft(), from, box);
}

bool AnyBelow(const Places &places, std::size_t split)
{
    return !places.isEmpty() && static_cast<std::size_t>(places.first()) < split;
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
    const bool below = AnyBelow(places, m_split);
    m_split -= static_cast<std::size_t>(std::lower_bound(places.cbegin(), places.cend(), static_cast<int>(m_split)) -
                                        places.cbegin());
    return Repaint(shapes, Area(TakeAt(m_bounds, places)), below);
}

std::size_t CCanvasImage::InsertedBelow(const Places &places) const
{
    // An inserted shape lies below the split when an old shape that lies
    // below comes after it.
    std::size_t below = 0;
    for (qsizetype i = 0; i < places.size(); ++i)
        below += static_cast<std::size_t>(places[i] - i) < m_split;
    return below;
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
    const std::size_t below = InsertedBelow(places);
    m_split += below;
    return Repaint(shapes, area, below > 0);
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
    return Repaint(shapes, Area(boxes), AnyBelow(places, m_split));
}

QRegion CCanvasImage::Moved(const ShapeList &shapes, const Places &from, const Places &to)
{
    if (!m_current) {
        Invalidate();
        return CanvasRect(m_view.client);
    }
    bool below = AnyBelow(from, m_split);
    m_split -= static_cast<std::size_t>(std::lower_bound(from.cbegin(), from.cend(), static_cast<int>(m_split)) -
                                        from.cbegin());
    std::vector<QRect> moved = TakeAt(m_bounds, from);
    const QRegion area = Area(moved);
    PutAt(m_bounds, to, std::move(moved));
    const std::size_t into = InsertedBelow(to);
    m_split += into;
    below = below || into > 0;
    return Repaint(shapes, area, below);
}

void CCanvasImage::Settle(const ShapeList &shapes)
{
    if (shapes.size() - m_split <= 2 * TopShapes)
        return;
    // Shapes drawn over the image below in order give its pixels with them.
    const std::size_t split = shapes.size() - TopShapes;
    std::vector<std::size_t> which;
    for (std::size_t i = m_split; i < split; ++i)
        which.push_back(i);
    QPainter painter(&m_below);
    PaintShapesAt(painter, m_view, shapes, which, CanvasRect(m_view.client));
    m_split = split;
}

QRegion CCanvasImage::Repaint(const ShapeList &shapes, QRegion area, bool below)
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
    Settle(shapes);
    // Each box is drawn again from the layer under it and the shapes that
    // meet it, clipped to it.
    const auto redraw = [&](QImage &image, const QImage &under, std::size_t first, std::size_t end,
                            const QRect &box, bool dots) {
        CopyArea(image, under, box);
        std::vector<std::size_t> meeting;
        for (std::size_t i = first; i < end; ++i)
            if (m_bounds[i].intersects(box))
                meeting.push_back(i);
        QPainter painter(&image);
        PaintShapesAt(painter, m_view, shapes, meeting, box);
        if (dots)
            PaintDots(painter, m_view.client, box);
    };
    for (const QRect &box : area) {
        if (below)
            redraw(m_below, m_underlay, 0, m_split, box, false);
        redraw(m_image, m_below, m_split, shapes.size(), box, !m_view.animating);
    }
    return area;
}

void CCanvasImage::Paint(QPainter &painter, const QRect &area, const ShapeList &shapes)
{
    if (!m_current) {
        if (m_image.size() != m_view.client)
            m_image = QImage(m_view.client, QImage::Format_RGB32);
        if (m_view.animating) {
            // A preview frame is painted once and never edited.
            PaintCanvasInParallel(m_image, m_view, shapes);
        } else {
            if (m_below.size() != m_view.client)
                m_below = QImage(m_view.client, QImage::Format_RGB32);
            m_split = shapes.size() > TopShapes ? shapes.size() - TopShapes : 0;
            PaintCanvasInParallel(m_below, m_view, shapes, m_split, false);
            std::vector<std::size_t> top;
            for (std::size_t i = m_split; i < shapes.size(); ++i)
                top.push_back(i);
            CopyArea(m_image, m_below, CanvasRect(m_view.client));
            QPainter layer(&m_image);
            PaintShapesAt(layer, m_view, shapes, top, CanvasRect(m_view.client));
            PaintDots(layer, m_view.client, CanvasRect(m_view.client));
        }
        Bounds(shapes);
        m_current = true;
    }
    const QRect shown = area & CanvasRect(m_view.client);
    if (!shown.isEmpty())
        painter.drawImage(shown.topLeft(), m_image, shown);
}
