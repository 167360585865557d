#include "tools/Picking.h"

#include <algorithm>
#include <cmath>

namespace {

double SquaredDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length = QPointF::dotProduct(ab, ab);
    const double t = length == 0.0 ? 0.0 : std::clamp(QPointF::dotProduct(p - a, ab) / length, 0.0, 1.0);
    const QPointF nearest = a + t * ab - p;
    return QPointF::dotProduct(nearest, nearest);
}

// Even-odd: a ray to the right crosses the outline an odd number of times.
bool Inside(const std::vector<QPoint> &points, QPointF p)
{
    bool inside = false;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const QPointF a = points[i];
        const QPointF b = points[j];
        if ((a.y() > p.y()) != (b.y() > p.y()) &&
            p.x() < a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y()))
            inside = !inside;
    }
    return inside;
}

} // namespace

std::vector<QPoint> DrawnPoints(const CObjectStorage &shape, const CViewport &view)
{
    const auto count = std::min<std::size_t>(shape.Points().size(), CObjectStorage::MaxDrawnPoints);
    std::vector<QPoint> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        points.push_back(view.ToPixel(shape.Points()[i]));
    return points;
}

bool Covers(const CObjectStorage &shape, const CViewport &view, QPoint pixel)
{
    const std::vector<QPoint> points = DrawnPoints(shape, view);
    if (points.empty())
        return false;
    const bool closed = shape.Type() == CPolyStorage::TypeValue;
    if (closed && points.size() > 2 && Inside(points, pixel))
        return true;
    const double reach = PickReach * PickReach;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool last = i + 1 == points.size();
        if (last && !(closed && points.size() > 2) && points.size() > 1)
            break;
        const QPoint next = last ? points.front() : points[i + 1];
        if (SquaredDistance(pixel, points[i], next) <= reach)
            return true;
    }
    return false;
}

std::optional<int> PickShape(const ShapeList &shapes, const std::vector<QRect> &bounds,
                             const CViewport &view, QPoint pixel)
{
    const QRect near(pixel - QPoint(PickReach, PickReach), QSize(2 * PickReach + 1, 2 * PickReach + 1));
    for (std::size_t i = shapes.size(); i-- > 0;)
        if (bounds[i].intersects(near) && Covers(*shapes[i], view, pixel))
            return static_cast<int>(i);
    return std::nullopt;
}

Places ShapesInside(const ShapeList &shapes, const std::vector<QRect> &bounds,
                    const CViewport &view, const QRect &box)
{
    Places inside;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (!bounds[i].intersects(box))
            continue;
        const std::vector<QPoint> points = DrawnPoints(*shapes[i], view);
        if (!points.empty() && std::all_of(points.cbegin(), points.cend(),
                                           [&](QPoint p) { return box.contains(p); }))
            inside.append(static_cast<int>(i));
    }
    return inside;
}

std::optional<std::pair<int, int>> PickHandle(const ShapeList &shapes, const Places &among,
                                              const CViewport &view, QPoint pixel)
{
    for (auto place = among.crbegin(); place != among.crend(); ++place) {
        const std::vector<QPoint> points = DrawnPoints(*shapes[static_cast<std::size_t>(*place)], view);
        for (std::size_t v = points.size(); v-- > 0;) {
            const QPoint d = points[v] - pixel;
            if (std::abs(d.x()) <= HandleReach && std::abs(d.y()) <= HandleReach)
                return std::make_pair(*place, static_cast<int>(v));
        }
    }
    return std::nullopt;
}
