#pragma once

#include "model/PolarPoint.h"

#include <QPoint>

// Screen position of a vertex drawn at the given scale, rotation and centre.
// Each offset is truncated toward zero. Offsets too large for the screen (or
// not numbers at all) are clamped so the conversion to int stays defined.
QPoint MapToScreen(const PolarPoint &point, double scale, double rotation, int centreX,
                   int centreY);
