#pragma once

#include "drawing/Viewport.h"

#include <QPoint>

#include <optional>

// A vertex and where it shows on the canvas.
struct PlacedVertex
{
    PolarPoint polar;
    QPoint pixel;
};

// Polar snapping: the point nearest pos whose angle is a multiple of
// 2pi / (4 x spokes) and whose distance from the centre on screen is a
// multiple of the grid pitch. The vertex holds that angle and that distance
// over the scale exactly. Nothing when the view can place no point.
std::optional<PlacedVertex> PolarSnap(QPoint pos, const CViewport &view, int spokes);

// Where a click at pos puts a vertex: the grid point it rounds to (RoundSnap), or with
// polar snapping the nearest polar snap point. Nothing when the view can
// place no point there.
std::optional<PlacedVertex> PlaceVertex(QPoint pos, const CViewport &view, bool polarSnap, int spokes);
