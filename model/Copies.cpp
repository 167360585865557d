#include "model/Copies.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr double Turn = 2 * Pi;
constexpr double Lowest = -Pi / 2;
constexpr double Highest = 3 * Pi / 2;

std::unique_ptr<CObjectStorage> Member(const CObjectStorage &drawn, const GroupLink &link)
{
    auto member = drawn.Clone();
    for (PolarPoint &p : member->Points())
        p.angle = CopiedAngle(p.angle, link.copy, link.group->copies, link.mirrored);
    member->SetGroup(link);
    return member;
}

bool Same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether shapes [first, first + copies x (mirror ? 2 : 1)) are such a group.
bool IsGroup(const ShapeList &shapes, std::size_t first, int copies, bool mirror)
{
    const std::vector<PolarPoint> &drawn = shapes[first]->Points();
    const int members = copies * (mirror ? 2 : 1);
    for (int m = 1; m < members; ++m) {
        const std::vector<PolarPoint> &points = shapes[first + static_cast<std::size_t>(m)]->Points();
        if (points.size() != drawn.size())
            return false;
        for (std::size_t v = 0; v < drawn.size(); ++v) {
            if (!Same(points[v].radius, drawn[v].radius) ||
                !Same(points[v].angle, CopiedAngle(drawn[v].angle, m % copies, copies, m >= copies)))
                return false;
        }
    }
    return true;
}

} // namespace

double NormalisedAngle(double angle)
{
    if (!std::isfinite(angle) || (angle >= Lowest && angle < Highest))
        return angle;
    angle -= Turn * std::floor((angle - Lowest) / Turn);
    // Rounding can leave it a hair outside.
    if (angle >= Highest)
        angle -= Turn;
    else if (angle < Lowest)
        angle += Turn;
    return angle;
}

double CopiedAngle(double angle, int copy, int copies, bool mirrored)
{
    // The drawn shape is kept as it was; each copy is turned, then mirrored.
    if (copy > 0)
        angle = NormalisedAngle(angle + copy * Turn / copies);
    if (mirrored)
        angle = NormalisedAngle(-(angle + 0.0));
    return angle;
}

ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, int copies, bool mirror)
{
    ShapeList shapes;
    if (copies <= 1 && !mirror) {
        shapes.push_back(std::move(shape));
        return shapes;
    }
    auto group = std::make_shared<const CopyGroup>(CopyGroup{copies, mirror});
    shape->SetGroup({group, 0, false});
    const CObjectStorage &drawn = *shape;
    shapes.push_back(std::move(shape));
    for (int mirrored = 0; mirrored <= (mirror ? 1 : 0); ++mirrored)
        for (int k = mirrored ? 0 : 1; k < copies; ++k)
            shapes.push_back(Member(drawn, {group, k, mirrored != 0}));
    return shapes;
}

void CycleColours(ShapeList &shapes, const QList<std::int32_t> &fills, int fill,
                  const QList<std::int32_t> &pens, int pen)
{
    const auto step = [](const QList<std::int32_t> &list, int from, int k) {
        return SplitColour(list[(from + k) % list.size()]);
    };
    for (const auto &shape : shapes) {
        const int k = shape->Group().copy;
        if (fill >= 0 && fill < fills.size()) {
            const ShapeColour c = step(fills, fill, k);
            shape->SetFillColour(c.red, c.green, c.blue);
        }
        if (pen >= 0 && pen < pens.size()) {
            const ShapeColour c = step(pens, pen, k);
            shape->SetPenColour(c.red, c.green, c.blue);
        }
    }
}

void RecogniseGroups(ShapeList &shapes)
{
    // Candidates, longest run first: (copies, mirror).
    std::vector<std::pair<int, bool>> candidates;
    for (int copies = MaxCopies; copies >= MinCopies; --copies)
        for (const bool mirror : {false, true})
            if (copies > 1 || mirror)
                candidates.emplace_back(copies, mirror);
    std::stable_sort(candidates.begin(), candidates.end(), [](const auto &a, const auto &b) {
        return a.first * (a.second ? 2 : 1) > b.first * (b.second ? 2 : 1);
    });

    for (std::size_t first = 0; first < shapes.size();) {
        std::size_t run = 1;
        if (shapes[first]->PointCount() > 0) {
            for (const auto &[copies, mirror] : candidates) {
                const auto members = static_cast<std::size_t>(copies * (mirror ? 2 : 1));
                if (first + members > shapes.size() || !IsGroup(shapes, first, copies, mirror))
                    continue;
                auto group = std::make_shared<const CopyGroup>(CopyGroup{copies, mirror});
                for (std::size_t m = 0; m < members; ++m)
                    shapes[first + m]->SetGroup({group, static_cast<int>(m) % copies,
                                                 m >= static_cast<std::size_t>(copies)});
                run = members;
                break;
            }
        }
        if (run == 1)
            shapes[first]->SetGroup({});
        first += run;
    }
}
