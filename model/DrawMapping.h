#pragma once

#include "model/PolarPoint.h"

#include <QPoint>
#include <QPointF>

#include <optional>

// Screen position of a vertex drawn at the given scale, rotation and centre.
// Each offset is truncated toward zero. Offsets too large for the screen (or
// not numbers at all) are clamped so the conversion to int stays defined.
QPoint MapToScreen(const PolarPoint &point, double scale, double rotation, int centreX,
                   int centreY);

// The same unrounded: where the vertex lies about a centre given to the
// fraction, far points pulled in alike. Vector pictures and smooth drawing use it.
QPointF MapExact(const PolarPoint &point, double scale, double rotation, QPointF centre);

// Polar form of a point dx pixels right of the centre and dyUp pixels above
// it, at the given scale and rotation: what a click there gives, unsnapped.
// Nothing when the scale or rotation can give no finite point.
std::optional<PolarPoint> PolarOfOffset(double dx, double dyUp, double scale, double rotation);
