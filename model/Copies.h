#pragma once

#include "model/ObjectStorage.h"

// Copies around the centre: the limits of the copy count.
inline constexpr int MinCopies = 1;
inline constexpr int MaxCopies = 24;

// An angle brought into the range entry produces, -pi/2 up to 3pi/2, by
// whole turns; one already there is returned unchanged.
double NormalisedAngle(double angle);

// The shape and its copies turned by k x 2pi / copies (k = 1 ... copies - 1),
// then, with mirror, the reflection of each of these across the vertical
// axis, in that order. Copies keep the kind, colours, radii and vertex order.
ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, int copies, bool mirror);
