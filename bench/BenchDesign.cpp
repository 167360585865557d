#include "bench/BenchDesign.h"

#include "model/PolarPoint.h"

#include <random>

namespace {

constexpr int Vertices = 49;

void RandomColours(CObjectStorage &shape, std::mt19937 &random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    shape.SetFillColour(byte(random), byte(random), byte(random));
    shape.SetPenColour(byte(random), byte(random), byte(random));
}

} // namespace

ShapeList MakeBenchDesign(int count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> startAngle(0.0, 2 * Pi);
    std::uniform_real_distribution<double> starRadius(20.0, 300.0);
    // Polyline vertices anywhere on a 1920 x 1080 canvas around its centre
    // (the canvas is 1030 pixels high, so 500 stays inside it).
    std::uniform_real_distribution<double> anyAngle(-Pi / 2, 3 * Pi / 2);
    std::uniform_real_distribution<double> lineRadius(0.0, 500.0);

    ShapeList shapes;
    shapes.reserve(static_cast<std::size_t>(count));
    for (int s = 0; s < count; ++s) {
        std::unique_ptr<CObjectStorage> shape;
        if (s % 2 == 0) {
            shape = CObjectStorage::Create(CPolyStorage::TypeValue);
            const double start = startAngle(random);
            const double r = starRadius(random);
            for (int i = 0; i < Vertices; ++i)
                shape->AddPoint(start + i * 2 * Pi / Vertices, i % 2 == 0 ? r : r / 2);
        } else {
            shape = CObjectStorage::Create(CLineStorage::TypeValue);
            for (int i = 0; i < Vertices; ++i)
                shape->AddPoint(anyAngle(random), lineRadius(random));
        }
        RandomColours(*shape, random);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

ShapeList MakeExportDesign(int count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> angle(-Pi / 2, 3 * Pi / 2);
    std::uniform_real_distribution<double> radius(0.0, 500.0);
    ShapeList shapes;
    shapes.reserve(static_cast<std::size_t>(count));
    for (int s = 0; s < count; ++s) {
        auto shape = CObjectStorage::Create(s % 2 == 0 ? CPolyStorage::TypeValue
                                                       : CLineStorage::TypeValue);
        for (int i = 0; i < Vertices; ++i)
            shape->AddPoint(angle(random), radius(random));
        RandomColours(*shape, random);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}
