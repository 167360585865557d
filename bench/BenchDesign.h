#pragma once

#include "model/ObjectStorage.h"

#include <QSize>

#include <cstdint>

// The client area the painting benchmarks draw into.
inline constexpr QSize BenchClient{1920, 1080};

// The seeded benchmark design: 100 star-shaped polygons of 49 vertices (radii
// alternating r and r / 2 around a random start angle, r up to 300 pixels)
// and 100 polylines of 49 vertices spread over the canvas.
ShapeList MakeBenchDesign(std::uint32_t seed = 20261206);

// count shapes of 49 vertices each, polygons and polylines alternating.
ShapeList MakeExportDesign(int count, std::uint32_t seed = 7);
