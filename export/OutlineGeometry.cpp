#include "export/OutlineGeometry.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

// Far below a pixel at any scale: a vertex this near the line through its
// neighbours lies on it but for rounding.
constexpr double Negligible = 1e-9;

double Length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

// The span of points (first, last), ends kept, with the farthest between.
struct Span
{
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t farthest = 0;
    double distance = 0.0;

    bool operator<(const Span &other) const { return distance < other.distance; }
};

Span Measured(const std::vector<QPointF> &points, std::size_t first, std::size_t last)
{
    Span span{first, last, first, 0.0};
    for (std::size_t i = first + 1; i < last; ++i) {
        const double d = SegmentDistance(points[i], points[first], points[last]);
        if (d > span.distance) {
            span.distance = d;
            span.farthest = i;
        }
    }
    return span;
}

} // namespace

double CubicSteps(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double tolerance)
{
    const double bend = std::max(Length(p0 - 2 * p1 + p2), Length(p1 - 2 * p2 + p3));
    // The second derivative is 6 (1 - t) (p0 - 2 p1 + p2) + 6 t (p1 - 2 p2 + p3).
    const double steps = std::ceil(std::sqrt(6 * bend / (8 * tolerance)));
    if (!std::isfinite(steps) || !(tolerance > 0))
        return 0;
    return std::max(1.0, steps);
}

void FlattenCubic(QPointF p0, QPointF p1, QPointF p2, QPointF p3, int steps,
                  std::vector<QPointF> &out)
{
    for (int i = 1; i < steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double s = 1 - t;
        out.push_back(s * s * s * p0 + 3 * s * s * t * p1 + 3 * s * t * t * p2 + t * t * t * p3);
    }
    out.push_back(p3);
}

double SegmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double squared = QPointF::dotProduct(ab, ab);
    const double t = squared > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / squared, 0.0, 1.0) : 0.0;
    return Length(p - (a + t * ab));
}

double Simplify(std::vector<QPointF> &points, bool closed, std::size_t budget)
{
    budget = std::max<std::size_t>(budget, 3);
    if (points.size() <= budget)
        return 0.0;
    // A ring runs from its first vertex round to the farthest from it and
    // back: both are kept, and the first once more at the end.
    std::vector<bool> kept(points.size() + (closed ? 1 : 0), false);
    if (closed)
        points.push_back(points.front());
    const std::size_t end = points.size() - 1;
    std::priority_queue<Span> spans;
    std::size_t count = closed ? 1 : 2;
    kept.front() = kept.back() = true;
    if (closed) {
        std::size_t far = 0;
        for (std::size_t i = 1; i < end; ++i)
            if (Length(points[i] - points[0]) > Length(points[far] - points[0]))
                far = i;
        kept[far] = true;
        count = 2;
        spans.push(Measured(points, 0, far));
        spans.push(Measured(points, far, end));
    } else {
        spans.push(Measured(points, 0, end));
    }
    while (count < budget && spans.top().distance > Negligible) {
        const Span worst = spans.top();
        spans.pop();
        kept[worst.farthest] = true;
        ++count;
        spans.push(Measured(points, worst.first, worst.farthest));
        spans.push(Measured(points, worst.farthest, worst.last));
    }
    const double error = spans.top().distance;
    std::size_t to = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (kept[i])
            points[to++] = points[i];
    points.resize(closed ? to - 1 : to);
    return error;
}
