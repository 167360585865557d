#pragma once

#include "drawing/Canvas.h"

#include <QPoint>

#include <optional>

// Grid snapping of mouse positions. Remainders truncate toward zero, so
// negative coordinates snap toward zero as well.

// The press that starts a shape snaps down.
int PressSnap(int v);
// Every later position rounds; a remainder of exactly 5 rounds down.
int RoundSnap(int v);

inline QPoint PressSnap(QPoint p)
{
    return {PressSnap(p.x()), PressSnap(p.y())};
}

inline QPoint RoundSnap(QPoint p)
{
    return {RoundSnap(p.x()), RoundSnap(p.y())};
}

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
std::optional<PlacedVertex> PolarSnap(QPoint pos, const CanvasView &view, int spokes);

// Where a click at pos puts a vertex: the grid point it rounds to, or with
// polar snapping the nearest polar snap point. Nothing when the view can
// place no point there.
std::optional<PlacedVertex> PlaceVertex(QPoint pos, const CanvasView &view, bool polarSnap, int spokes);
