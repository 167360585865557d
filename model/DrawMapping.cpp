#include "model/DrawMapping.h"

#include <algorithm>
#include <cmath>

namespace {

// Far outside any screen, yet small enough that centre + offset fits an int.
constexpr double OffsetLimit = 1 << 24;

// The vertex's offset from the centre, a far one pulled in; nothing when it is no number.
std::optional<QPointF> Offset(const PolarPoint &point, double scale, double rotation)
{
    const double r = point.radius * scale;
    const double theta = point.angle + rotation;
    double dx = std::sin(theta) * r;
    double dy = -(std::cos(theta) * r);
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return std::nullopt;
    // Pull a far point in along its ray from the centre: its direction, and so
    // what is visible of the edges reaching it, stays as it was.
    const double largest = std::max(std::abs(dx), std::abs(dy));
    if (largest > OffsetLimit) {
        dx = dx / largest * OffsetLimit;
        dy = dy / largest * OffsetLimit;
    }
    return QPointF(dx, dy);
}

} // namespace

QPoint MapToScreen(const PolarPoint &point, double scale, double rotation, int centreX,
                   int centreY)
{
    const std::optional<QPointF> offset = Offset(point, scale, rotation);
    if (!offset)
        return {centreX, centreY};
    // Conversions truncate toward zero.
    return {centreX + static_cast<int>(offset->x()), centreY + static_cast<int>(offset->y())};
}

QPointF MapExact(const PolarPoint &point, double scale, double rotation, QPointF centre)
{
    return centre + Offset(point, scale, rotation).value_or(QPointF());
}

std::optional<PolarPoint> PolarOfOffset(double dx, double dy, double scale, double rotation)
{
    if (scale == 0.0 || !std::isfinite(scale) || !std::isfinite(rotation))
        return std::nullopt;

    PolarPoint point;
    point.radius = std::sqrt(dx * dx + dy * dy) / scale;
    if (dy > 0)
        point.angle = std::atan(dx / dy);
    else if (dy < 0)
        point.angle = std::atan(dx / dy) + Pi;
    else if (dx > 0)
        point.angle = Pi / 2; // straight right
    else if (dx < 0)
        point.angle = -Pi / 2; // straight left
    else
        point.angle = 0.0; // the centre itself
    point.angle -= rotation;

    if (!std::isfinite(point.angle) || !std::isfinite(point.radius))
        return std::nullopt;
    return point;
}
