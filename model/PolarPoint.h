#pragma once

// One vertex: angle in radians clockwise from straight up, then the radius in
// pixels at scale 1. The design file stores it byte for byte in this order.
struct PolarPoint
{
    double angle = 0.0;
    double radius = 0.0;
};

// Pi as the design's files and conversions have always used it.
inline constexpr double Pi = 3.141592654;
