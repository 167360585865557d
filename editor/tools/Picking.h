#pragma once

#include "drawing/Viewport.h"
#include "model/DesignDocument.h"

#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

// Which shapes the pointer means, as they are drawn in a view. bounds holds
// each shape's drawn box (CCanvasImage::Bounds), so that only shapes near
// the pointer are looked at closely.

// How near an edge a click still takes the shape, in pixels.
inline constexpr int PickReach = 3;
// A vertex handle: a square of this many pixels either side of the vertex.
inline constexpr int HandleReach = 3;

// The screen points a shape is drawn through: at most its first 50 vertices.
std::vector<QPoint> DrawnPoints(const CObjectStorage &shape, const CViewport &view);

// Whether the shape as drawn covers pixel: inside a polygon's even-odd fill,
// or within PickReach pixels of any edge it draws.
bool Covers(const CObjectStorage &shape, const CViewport &view, QPoint pixel);

// The place of the topmost shape that covers pixel; nothing over no shape.
std::optional<int> PickShape(const ShapeList &shapes, const std::vector<QRect> &bounds,
                             const CViewport &view, QPoint pixel);

// The shapes with at least one vertex, all of whose drawn vertices lie in box.
Places ShapesInside(const ShapeList &shapes, const std::vector<QRect> &bounds,
                    const CViewport &view, const QRect &box);

// The handle under pixel among the given shapes, topmost first: the place of
// the shape and the vertex.
std::optional<std::pair<int, int>> PickHandle(const ShapeList &shapes, const Places &among,
                                              const CViewport &view, QPoint pixel);
