#include "model/Copies.h"

#include <cmath>

namespace {

constexpr double Turn = 2 * Pi;
constexpr double Lowest = -Pi / 2;
constexpr double Highest = 3 * Pi / 2;

std::unique_ptr<CObjectStorage> Transformed(const CObjectStorage &shape, double turn, double sign)
{
    auto copy = CObjectStorage::Create(shape.Type());
    const ShapeColour fill = shape.FillColour();
    const ShapeColour pen = shape.PenColour();
    copy->SetFillColour(fill.red, fill.green, fill.blue);
    copy->SetPenColour(pen.red, pen.green, pen.blue);
    for (const PolarPoint &p : shape.Points())
        copy->AddPoint(NormalisedAngle(sign * (p.angle + turn)), p.radius);
    return copy;
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

ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, int copies, bool mirror)
{
    const CObjectStorage &original = *shape;
    ShapeList shapes;
    shapes.push_back(std::move(shape));
    for (int k = 1; k < copies; ++k)
        shapes.push_back(Transformed(original, k * Turn / copies, 1.0));
    if (mirror) {
        const std::size_t turned = shapes.size();
        for (std::size_t i = 0; i < turned; ++i)
            shapes.push_back(Transformed(*shapes[i], 0.0, -1.0));
    }
    return shapes;
}
