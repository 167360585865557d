#include "bench/BenchDesign.h"

#include "model/PolarPoint.h"

#include <random>

namespace {

constexpr int Vertices = 49;
constexpr int Stars = 100;
constexpr int Lines = 100;

void RandomColours(CObjectStorage &shape, std::mt19937 &random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    shape.SetFillColour(byte(random), byte(random), byte(random));
    shape.SetPenColour(byte(random), byte(random), byte(random));
}

} // namespace

ShapeList MakeBenchDesign(std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> startAngle(0.0, 2 * Pi);
    std::uniform_real_distribution<double> starRadius(20.0, 300.0);
    // Polyline vertices anywhere on a 1920 x 1080 canvas around its centre.
    std::uniform_real_distribution<double> anyAngle(-Pi / 2, 3 * Pi / 2);
    std::uniform_real_distribution<double> lineRadius(0.0, 500.0);

    ShapeList shapes;
    for (int s = 0; s < Stars; ++s) {
        auto star = std::make_unique<CPolyStorage>();
        const double start = startAngle(random);
        const double r = starRadius(random);
        for (int i = 0; i < Vertices; ++i)
            star->AddPoint(start + i * 2 * Pi / Vertices, i % 2 == 0 ? r : r / 2);
        RandomColours(*star, random);
        shapes.push_back(std::move(star));
    }
    for (int l = 0; l < Lines; ++l) {
        auto line = std::make_unique<CLineStorage>();
        for (int i = 0; i < Vertices; ++i)
            line->AddPoint(anyAngle(random), lineRadius(random));
        RandomColours(*line, random);
        shapes.push_back(std::move(line));
    }
    return shapes;
}

ShapeList MakeExportDesign(int count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> angle(-Pi / 2, 3 * Pi / 2);
    std::uniform_real_distribution<double> radius(0.0, 500.0);
    ShapeList shapes;
    for (int s = 0; s < count; ++s) {
        std::unique_ptr<CObjectStorage> shape;
        if (s % 2 == 0)
            shape = std::make_unique<CPolyStorage>();
        else
            shape = std::make_unique<CLineStorage>();
        for (int i = 0; i < Vertices; ++i)
            shape->AddPoint(angle(random), radius(random));
        RandomColours(*shape, random);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}
