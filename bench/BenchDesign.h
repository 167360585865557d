#pragma once

#include "model/ObjectStorage.h"

#include <QSize>

#include <cstdint>

// The client area the painting and window benchmarks draw into.
inline constexpr QSize BenchClient{1920, 1080};

// The design sizes the benchmarks use.
inline constexpr int SmallDesign = 1000;
inline constexpr int LargeDesign = 10000;

// A seeded design of count shapes of 49 vertices, polygons and polylines
// alternating. Each polygon is a star (radii alternating r and r / 2 around a
// random start angle, r from 20 to 300 pixels); each polyline has its
// vertices anywhere within 500 pixels of the centre. Random colours. At
// scale 1 in BenchClient every vertex lies on the canvas.
ShapeList MakeBenchDesign(int count, std::uint32_t seed = 20261206);

// count shapes of 49 vertices each, polygons and polylines alternating,
// every vertex at random within 500 pixels of the centre.
ShapeList MakeExportDesign(int count, std::uint32_t seed = 7);
